// --export PACK ROM [ROOMS]: the named rooms of ROM (or of a room pack) into
// a room pack, and no other file. The pack is written as the new ROM is:
// under a temporary name, renamed when complete, never onto its source, and
// never over a file that is not a room pack. Over an earlier pack it keeps
// that pack's note and the notes of the rooms it holds again.
#pragma once

#include "app/options.h"

void RunExport(const CommandLine& line);
