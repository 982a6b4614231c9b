#pragma once
// The module's resources: its string table and, in the 2004 build, its registry scripts.

// Strings.
constexpr unsigned IDS_STRETCH_FAILED = 102;
constexpr unsigned IDS_VALUE = 103;
// Registry scripts ("REGISTRY" resources).
constexpr unsigned IDR_TAMSELDBX4 = 101;
constexpr unsigned IDR_IBLOCK = 104;
constexpr unsigned IDR_IGRIPPOINT = 105;
constexpr unsigned IDR_IATTEDEF = 106;

// Enters the resources under the module's instance handle; the detach takes them out again.
void registerModuleResources(void* instance);
void unregisterModuleResources(void* instance);
