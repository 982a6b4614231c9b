# 2004 host release: object enabler with automation classes, and its application module.
cadhost_add_object_enabler(TamselDbx4 DEFINITIONS CADHOST_R16 ZEFT_AUTOMATION)
cadhost_add_application(QuillmarkFree4 TamselDbx4 CORE application_core_R16 DEFINITIONS CADHOST_R16)
