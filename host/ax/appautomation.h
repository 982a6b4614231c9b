#pragma once
// The host application's automation object: its documents collection (property 0x20) opens
// drawings (method 0x60020005: the file name, optionally read-only, optionally a password).
#include "ax/dispatch.h"

constexpr DISPID kAxApplicationDocuments = 0x20;
constexpr DISPID kAxDocumentsOpen = 0x60020005;

// The application's dispatch interface. It lives as long as the program; references taken on it
// are counted (AddRef and Release answer the count) but never end it.
CADHOST_API IDispatch* axApplicationDispatch();
