// The generated interface header includes this in place of the IDL-only
// declarations of standin_oaidl.idl; the real ones come from the toolchain.
#pragma once
#include <oaidl.h>
