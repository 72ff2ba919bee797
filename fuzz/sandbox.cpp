#include "sandbox.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static std::string sandbox_dir;

// The fixed files, and the one each target rewrites per input.
static const char *const sandbox_files[] = {"a", "b", "c", "s", "m", "x", "e", "f", "g",
                                            "p", "sequence", "freeze"};

static void write_file(const char *name, const std::string &bytes)
{
    FILE *file = fopen(name, "wb");
    if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fclose(file))
        perror(name), abort();
}

// Frames whose every byte depends on its position, so no two frames are alike.
static std::string frames(size_t frame_bytes, int count, const std::string &frame_header = "")
{
    std::string bytes;
    for (int k = 0; k < count; k++) {
        bytes += frame_header;
        for (size_t i = 0; i < frame_bytes; i++)
            bytes += (char)(i * 7 + k * 31);
    }
    return bytes;
}

static void remove_sandbox()
{
    for (const char *name : sandbox_files)
        unlink((sandbox_dir + "/" + name).c_str());
    rmdir((sandbox_dir + "/d").c_str());
    rmdir(sandbox_dir.c_str());
}

const std::string &enter_sandbox()
{
    if (!sandbox_dir.empty())
        return sandbox_dir;
    // Memory-backed when possible: every input rewrites a file, and truncating one on a
    // disk file system costs ten times the rest of the run.
    const char *tmp = getenv("TMPDIR");
    if (!tmp || !*tmp)
        tmp = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(tmp) + "/trivista-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0]) || chdir(pattern.c_str()) != 0)
        perror("sandbox"), abort();
    sandbox_dir = pattern;
    atexit(remove_sandbox);

    const size_t qcif = 176 * 144 * 3 / 2, cif = 352 * 288 * 3 / 2;
    write_file("a", frames(qcif, 3));
    write_file("b", frames(qcif, 2) + "garbage");
    write_file("c", frames(cif, 1));
    write_file("s", "YUV4MPEG2 W16 H16 F30000:1001 Ip A1:1 C420jpeg\n" +
                        frames(16 * 16 * 3 / 2, 2, "FRAME\n"));
    write_file("m", "YUV4MPEG2 W32 H16 F25:1\n" + frames(32 * 16 * 3 / 2, 1, "FRAME\n"));
    write_file("x", "YUV4MPEG2 W17 H16\nFRAME\n" + frames(17 * 16 * 3 / 2, 1));
    write_file("e", "");
    write_file("f", "1\n2\n2\n");
    static const char garbage[] = "x\n-5\n99999999999\n\n0\r\n\x01\xff\0" "7\n1";
    write_file("g", std::string(garbage, sizeof garbage - 1));
    // Nothing ever writes to it: opening it must not wait for a writer.
    if (mkfifo("p", 0600) != 0)
        perror("sandbox p"), abort();
    if (mkdir("d", 0700) != 0)
        perror("sandbox d"), abort();
    return sandbox_dir;
}
