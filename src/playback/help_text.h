// The viewer's full help, printed for --help and -h.
#pragma once

extern const char viewer_help_text[];
