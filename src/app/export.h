// --export PACK ROM [ROOMS]: the named rooms of ROM (or of a room pack) into
// a room pack, and no other file. The pack is written as the new ROM is:
// under a temporary name, renamed when complete, never onto its source.
#pragma once

#include "app/options.h"

void RunExport(const CommandLine& line);
