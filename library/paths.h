// File names and paths: folder, name, extension and "_" part; joining and
// cleaning paths.  "/" and "\" both separate folders.  Pure text rules: none
// of these routines touches the file system.
#pragma once

#include <string>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// PATH without its extension (the part from the last "." after the last separator).
std::string FILENAMEPATH(std::string_view path);
// The extension with its dot, in lower case; blank when there is none.
std::string FILEEXT(std::string_view path);
// The name without folder and extension.
std::string FILENAME(std::string_view path);
// The extension with its dot, case kept.
std::string FILEEXTKC(std::string_view path);
// The name with its extension, without folder (to the end of PATH's capacity).
std::string FILENAMEEXT(std::string_view path);
// The folder with its last separator; blank when there is none.
std::string FILEFOLDERPATH(std::string_view path);
// The name without folder and extension, cut before its last "_".
std::string FILENAMENO_(std::string_view path);
// The "_" part of the name, in lower case; blank when there is none.
std::string FILE___EXT(std::string_view path);
// PATH without extension, cut before a last "_" that follows the last separator.
std::string FILENAMEPATHNO_(std::string_view path);
// PATH trimmed, doubled backslashes reduced, "\..\" and "\.\" steps resolved.
std::string REMOVEDOTDOT(std::string_view path);
// FILE joined below FOLDER unless FILE is absolute, then cleaned.
std::string ADDFOLDER(std::string_view folder, std::string_view file);
// PATH left-adjusted and trimmed with doubled separators reduced, in place;
// the same text is returned.
std::string CLEANPATH(FText& path);
// Rewrites PATH in place into the form used below a copy folder
// ("C:\a" becomes "C Drive\a", "\\srv\a" becomes "URL\srv\a").
void RELATIVEPATH(FText& path);

}  // namespace lib
