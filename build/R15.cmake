# R15 host release: object enabler without automation classes, and its application module.
cadhost_add_object_enabler(ZEFTTamselDbx DEFINITIONS CADHOST_R15)
cadhost_add_application(ZEFTRenvale ZEFTTamselDbx CORE application_core_R15 DEFINITIONS CADHOST_R15)
