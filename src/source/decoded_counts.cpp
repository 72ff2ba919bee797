#include "decoded_counts.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "decoded_record.h"

// Counts that cost less than this many luma samples of decoding are quicker made again than
// kept: short or small files stay out, so the entries are those that save a wait.
static const int64_t worth_keeping_samples = (int64_t)1 << 24;
// Entries kept at most; the ones written longest ago go first.
static const size_t most_entries = 256;
// Larger files are not entries of ours (10 bytes a frame: several million frames).
static const int64_t most_entry_bytes = (int64_t)64 << 20;
static const char magic[8] = {'T', 'V', 'C', 'O', 'U', 'N', 'T', '1'};
static const int64_t byte_order = 0x0102030405060708;
static const char picture_types[] = "IPBSipb?";
// A frame's record: its time, its flags and its type.
static const int64_t frame_record_bytes = sizeof(int64_t) + 2;

enum { key_bit = 1, lost_bit = 2 };

uint64_t count_entry_checksum(const unsigned char *bytes, size_t size)
{
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (size_t i = 0; i < size; i++)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// The folder of the entries, made when missing and `make` says so; empty when there is no
// place for it.
static std::string entry_folder(bool make)
{
    const char *cache = getenv("XDG_CACHE_HOME");
    const char *home = getenv("HOME");
    std::string base = cache && cache[0] == '/' ? cache
                       : home && home[0] == '/' ? std::string(home) + "/.cache"
                                                : "";
    if (base.empty())
        return "";
    std::string folder = base + "/trivista/counts";
    std::error_code error;
    if (make)
        std::filesystem::create_directories(folder, error);
    return error ? "" : folder;
}

static std::string entry_path(const std::string &folder, const DecodedSource *s)
{
    char name[32];
    snprintf(name, sizeof name, "/%016llx.count",
             (unsigned long long)count_entry_checksum((const unsigned char *)s->file_state, sizeof s->file_state));
    return folder + name;
}

// The state of the regular file at `path` into `state`; false for anything else.
static bool file_state_of(const char *path, int64_t *state)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const int64_t fields[file_state_fields] = {
        (int64_t)info.st_dev, (int64_t)info.st_ino, (int64_t)info.st_size,
        (int64_t)info.st_mtim.tv_sec, (int64_t)info.st_mtim.tv_nsec,
        (int64_t)info.st_ctim.tv_sec, (int64_t)info.st_ctim.tv_nsec,
        (int64_t)avcodec_version(), (int64_t)avformat_version(), byte_order};
    memcpy(state, fields, sizeof fields);
    return true;
}

bool note_file_state(DecodedSource *s)
{
    s->state_noted = file_state_of(s->path, s->file_state);
    return s->state_noted;
}

// Appends the bytes of `value` as this machine holds them: entries are read where written.
template <typename T> static void put(std::vector<unsigned char> &out, T value)
{
    const unsigned char *bytes = (const unsigned char *)&value;
    out.insert(out.end(), bytes, bytes + sizeof value);
}

// Reads entries front to back, each read refused past the end.
struct EntryReader {
    const unsigned char *at, *end;
    template <typename T> bool take(T *value)
    {
        if ((size_t)(end - at) < sizeof *value)
            return false;
        memcpy(value, at, sizeof *value);
        at += sizeof *value;
        return true;
    }
};

static std::vector<unsigned char> entry_of(const DecodedSource *s)
{
    std::vector<unsigned char> out(magic, magic + sizeof magic);
    for (int64_t field : s->file_state)
        put(out, field);
    put<int64_t>(out, s->stream);
    put<int64_t>(out, s->width);
    put<int64_t>(out, s->height);
    put<int64_t>(out, s->pix_fmt);
    put<int64_t>(out, s->timed);
    put<int64_t>(out, s->frames);
    for (int64_t i = 0; i < s->frames; i++) {
        put<int64_t>(out, s->timed ? s->frame_times[(size_t)i] : 0);
        put<unsigned char>(out, (s->timed && s->key_frames[(size_t)i] ? key_bit : 0) |
                                    (s->lost_at[(size_t)i] ? lost_bit : 0));
        put<char>(out, s->types[(size_t)i]);
    }
    put(out, count_entry_checksum(out.data(), out.size()));
    return out;
}

// The whole entry at `path`, or empty.
static std::vector<unsigned char> read_entry(const std::string &path)
{
    std::vector<unsigned char> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    unsigned char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0 &&
           (int64_t)(bytes.size() + got) <= most_entry_bytes)
        bytes.insert(bytes.end(), buffer, buffer + got);
    bool whole = !ferror(file) && feof(file);
    fclose(file);
    if (!whole)
        bytes.clear();
    return bytes;
}

// The frames of an entry into the record, every value checked: false leaves it to counting.
static bool take_frames(EntryReader &entry, DecodedSource *s, int64_t frames, bool timed)
{
    std::vector<int64_t> times;
    std::vector<bool> keys, lost_at;
    std::vector<char> types;
    int64_t lost = 0;
    for (int64_t i = 0; i < frames; i++) {
        int64_t time;
        unsigned char flags;
        char type;
        if (!entry.take(&time) || !entry.take(&flags) || !entry.take(&type) || flags > 3 ||
            !type || !strchr(picture_types, type) || (i == 0 && (flags & lost_bit)) ||
            (timed && !times.empty() && time <= times.back()))
            return false;
        if (timed)
            times.push_back(time), keys.push_back(flags & key_bit);
        lost_at.push_back(flags & lost_bit);
        lost += (flags & lost_bit) != 0;
        types.push_back(type);
    }
    s->frames = frames, s->lost = lost, s->timed = timed;
    s->frame_times.swap(times), s->key_frames.swap(keys), s->lost_at.swap(lost_at);
    s->types.swap(types);
    return true;
}

bool take_count_entry(const unsigned char *bytes, size_t size, DecodedSource *s)
{
    uint64_t sum;
    if (size < sizeof magic + sizeof sum)
        return false;
    memcpy(&sum, bytes + size - sizeof sum, sizeof sum);
    if (sum != count_entry_checksum(bytes, size - sizeof sum) || memcmp(bytes, magic, sizeof magic) != 0)
        return false;
    EntryReader entry = {bytes + sizeof magic, bytes + size - sizeof sum};
    int64_t field, stream, width, height, pix_fmt, timed, frames;
    for (int64_t expected : s->file_state)
        if (!entry.take(&field) || field != expected)
            return false;
    if (!entry.take(&stream) || !entry.take(&width) || !entry.take(&height) ||
        !entry.take(&pix_fmt) || !entry.take(&timed) || !entry.take(&frames) ||
        stream != s->stream || width < 1 || width > INT16_MAX || height < 1 || height > INT16_MAX ||
        pix_fmt < 0 || pix_fmt >= AV_PIX_FMT_NB || (timed != 0 && timed != 1) || frames < 1 ||
        frames != (entry.end - entry.at) / frame_record_bytes ||
        (entry.end - entry.at) % frame_record_bytes != 0 || !take_frames(entry, s, frames, timed))
        return false;
    s->width = (int)width, s->height = (int)height, s->pix_fmt = (int)pix_fmt;
    return true;
}

bool recall_count(DecodedSource *s)
{
    std::string folder = s->state_noted ? entry_folder(false) : "";
    if (folder.empty())
        return false;
    std::vector<unsigned char> bytes = read_entry(entry_path(folder, s));
    return take_count_entry(bytes.data(), bytes.size(), s);
}

// The oldest entries beyond the most kept.
static void prune(const std::string &folder)
{
    std::error_code error;
    std::vector<std::pair<std::filesystem::file_time_type, std::filesystem::path>> entries;
    for (const auto &item : std::filesystem::directory_iterator(folder, error))
        if (item.path().extension() == ".count")
            entries.push_back({item.last_write_time(error), item.path()});
    if (entries.size() <= most_entries)
        return;
    std::sort(entries.begin(), entries.end());
    for (size_t i = 0; i < entries.size() - most_entries; i++)
        std::filesystem::remove(entries[i].second, error);
}

void remember_count(const DecodedSource *s)
{
    if (!s->state_noted || s->failure[0] ||
        s->frames * s->width * (int64_t)s->height < worth_keeping_samples)
        return;
    int64_t now[file_state_fields];
    if (!file_state_of(s->path, now) || memcmp(now, s->file_state, sizeof now))
        return;  // changed while counting: the count may be of neither state
    std::string folder = entry_folder(true);
    if (folder.empty())
        return;
    std::vector<unsigned char> bytes = entry_of(s);
    // Written whole under another name first, so that a reader never meets half an entry.
    std::string path = entry_path(folder, s), part = path + "." + std::to_string(getpid());
    // A new file of our own: never through a link someone left under that name.
    remove(part.c_str());
    int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    FILE *file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        if (fd >= 0)
            close(fd);
        return;
    }
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = fclose(file) == 0 && written;
    if (!written || rename(part.c_str(), path.c_str()) != 0) {
        remove(part.c_str());
        return;
    }
    prune(folder);
}
