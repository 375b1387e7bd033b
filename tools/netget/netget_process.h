// What netget sets up for its process before anything else runs.
#pragma once

// Called first in main.
void PrepareProcess();
