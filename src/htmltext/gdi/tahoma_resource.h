// The identifier of the embedded Tahoma, an RCDATA resource of the executable.
#pragma once

#define VORNEL_TAHOMA_RESOURCE 2401
