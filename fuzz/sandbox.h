// A private directory of small sequence and freeze files for the fuzz targets, made
// the working directory so that short names in an input find them:
//   a, b, c   raw sequences: 3 QCIF frames; 2 QCIF frames and 7 bytes; 1 CIF frame
//   s, m      YUV4MPEG2 sequences: 16x16 with two frames; 32x16 with one frame
//   x         a YUV4MPEG2 header of a size that is refused (odd width)
//   e         an empty file
//   f, g      freeze files: "1 2 2"; garbage, negative, huge, CRLF, no final newline
//   d         a directory
//   p         a FIFO without a writer
// Removed again when the process exits normally.
#pragma once

#include <string>

// Creates the directory on first use, enters it and returns its path.
const std::string &enter_sandbox();
