#pragma once
// The frei0r header declares its functions without C linkage of its own.
extern "C" {
#include <frei0r.h>
}
