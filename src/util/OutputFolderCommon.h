#pragma once

// What the folder layer's back ends (OutputFolderPosix.cpp, OutputFolderWin.cpp,
// OutputFolderPortable.cpp; CMake builds one of them) share.

#include <string>
#include <string_view>
#include <system_error>

namespace orvandel::folder_layer {

// errno as an error code.
std::error_code LastError();

// A temporary file at `path` could not be removed: RemoveLeftoverTemporaries tries again.
void NoteLeftover(std::string path, std::error_code error) noexcept;
// Removes the file at `path` (the back end's own call).
std::error_code RemoveFile(const std::string& path);

// ".<hint>.<random>.part": a temporary file's name, hidden and telling what it was. The random
// part comes from FolderSeams().temporarySuffix when a test sets it.
std::string TemporaryName(std::string_view hint);

} // namespace orvandel::folder_layer
