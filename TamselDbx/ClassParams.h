#pragma once
// Registration parameters shared by the module's four entity classes.
#ifdef CADHOST_R15
#define ZEFT_DWG_VERSION 23
#define ZEFT_MAINT_VERSION 9
#define ZEFT_PROXY_FLAGS 0
#define ZEFT_APP_NAME "ZEFTTamselDbx"
#else
#define ZEFT_DWG_VERSION 25
#define ZEFT_MAINT_VERSION 0
#define ZEFT_PROXY_FLAGS 0x3ff
#define ZEFT_APP_NAME                                                 \
    "\"ZEFTTAMSELDBX4APP\" "                                          \
    "\"|Product Desc:     A description for your object\" "          \
    "\"|Company:          Your company name\" "                      \
    "\"|WEB Address:      Your company WEB site address\""
#endif
