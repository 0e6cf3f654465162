// Files and directories named by code page 936 paths. Every operation reports
// failure through its result only: empty Bytes, the file number 0, false or the
// empty text.
//
//   const int file = OpenFile(ConcatText(RunDirectory(), "/out.txt"));
//   WriteTextLine(file, "first line");   // does nothing and gives false when file is 0
//
// Files opened here are written straight to the system, with no buffer of our own.
// The table of open files is shared by the whole process: any thread may open,
// write and close files at the same time as others.
#pragma once

#include <string_view>

#include "text/text.h"

namespace qingqu {

// Creates the file, or empties an existing one, for writing from its start.
constexpr int kRewriteMode = 4;

// The whole content of an existing file; empty Bytes on any failure, also when
// another handle holds the file open for writing.
Bytes ReadWholeFile(std::string_view path);

// A non-zero file number for writing the file at `path`, which other handles may
// read and write meanwhile; 0 on failure. kRewriteMode is the only mode.
int OpenFile(std::string_view path, int mode = kRewriteMode);

// Writes text and CR LF at the file's position. On failure the position goes back
// to where the line began and the result is false; so for a file number that is
// not open (0 included).
bool WriteTextLine(int file, std::string_view text);

// Closes the file and takes its number out of the table; later writes to it fail.
bool CloseFile(int file);

// The directory that holds the program, without a trailing separator ("C:" for a
// program in a drive's root); computed once.
Text RunDirectory();

// The process's current directory; the empty text on failure.
Text CurrentDirectory();

// Makes path the process's current directory; false, and no change, on failure.
bool ChangeDirectory(std::string_view path);

}  // namespace qingqu
