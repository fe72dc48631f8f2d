// File names as the run holds them: UTF-8 strings, whatever the system's own
// encoding of names. On Windows they are turned into wide names here, since
// the narrow calls there take the ANSI code page; elsewhere the bytes are used
// as they are.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

std::filesystem::path FilePath(const std::string& name);

// std::fopen with a UTF-8 name.
std::FILE* OpenFile(const std::string& name, const char* mode);

// Creates `name` for binary writing; fails (errno EEXIST) when it exists.
std::FILE* CreateNewFile(const std::string& name);

// Renames `from` onto `to`, replacing a file of that name.
void RenameOntoFile(const std::string& from, const std::string& to, std::error_code& error);

// The name of a file the run writes beside `name`: `prefix` + `name`
// character for character for a relative name (so "roms/b.sfc" gives
// "_roms/b.sfc"); for an absolute one (or one with a drive or root on
// Windows) `prefix` goes in front of the last part, since the whole name
// with a prefix could never be created ("/home/u/b.sfc" gives
// "/home/u/_b.sfc", "C:\roms\b.sfc" gives "C:\roms\_b.sfc").
std::string PrefixedName(const std::string& prefix, const std::string& name);
