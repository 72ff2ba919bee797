// The report's columns of what encoded streams say of their frames: for each decoded
// sequence X (org, enc, tra) type_X, bytes_X and qp_X, and its summary. A report without a
// decoded sequence has none of them.
#pragma once

#include <cstdio>

// ,type_X,bytes_X,qp_X for each decoded sequence.
void write_stream_header(FILE *out);

// This frame's fields of each decoded sequence: CSV fields (empty where the stream says
// nothing: a frozen or missing frame, a decoder without block parameters), or JSON members
// (null there).
void write_stream_fields(FILE *out);
void write_stream_members(FILE *out);

// Counts the frames read at this frame into each decoded stream's summary.
void add_frame_to_stream_summary();

// Each decoded stream's frames per type, bytes and bit rate at the rate of play: one line
// each, or JSON members of the summary object.
void write_stream_summary_lines(FILE *out);
void write_stream_summary_members(FILE *out);
