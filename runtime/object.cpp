#include "runtime/object.h"

#include "runtime/string.h"

String Object::debug() { return String("+Object\n"); }
