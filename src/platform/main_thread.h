// Whether the calling thread is the process's main thread.
#pragma once

namespace vornel {

bool IsMainThread();

}  // namespace vornel
