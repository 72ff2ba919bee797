// The alignment tool's full help, printed for --help and -h.
#pragma once

extern const char align_help_text[];
