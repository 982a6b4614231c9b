#pragma once
// The object enabler's exported interface; everything else stays inside the module.
#define ZEFT_API __attribute__((visibility("default")))
