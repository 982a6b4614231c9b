#pragma once
// Symbol visibility of the host library and of the modules built on it.
#ifndef CADHOST_API
#define CADHOST_API __attribute__((visibility("default")))
#endif
