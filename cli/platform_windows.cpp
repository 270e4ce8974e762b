#include "platform.h"

#include <cstring>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

// The runtime's start-up expands wildcard patterns in the arguments into the
// names of the matching files before main sees them, as a Unix shell would.
// A pattern that matches nothing is passed on as it is.
extern "C" {
int _dowildcard = -1;
}

// The runtime gives every process its three standard streams.
void keep_standard_streams_apart() {}

int is_directory(FILE *stream) {
    struct _stat info;
    return _fstat(_fileno(stream), &info) == 0 && (info.st_mode & _S_IFDIR);
}

namespace {

struct file_identity {
    unsigned long long volume; // 0 where the runtime cannot tell
    unsigned long long index;
};

// The volume serial number and file index of an open file. Handles that Wine
// inherits from a Unix shell refuse GetFileInformationByHandle but still give
// their file id, without the volume.
bool identify(HANDLE file, file_identity &id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.index =
            (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        return true;
    }
    FILE_ID_INFO ex;
    if (!GetFileInformationByHandleEx(file, FileIdInfo, &ex, sizeof ex))
        return false;
    id.volume = ex.VolumeSerialNumber;
    memcpy(&id.index, ex.FileId.Identifier, sizeof id.index);
    return true;
}

} // namespace

// Windows has no inode numbers: the volume serial number and the file index
// of the two open files name a file. This also sees through another letter
// case and another spelling of one path. Consoles, pipes and devices are left
// out, as character devices are on Unix. Where one volume is unknown, the
// index alone decides: a rare refusal is better than a truncated source.
int is_same_file(FILE *source, const char *target_name) {
    HANDLE from = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(source)));
    file_identity source_id, target_id;
    if (GetFileType(from) != FILE_TYPE_DISK || !identify(from, source_id))
        return 0;
    HANDLE to = CreateFileA(target_name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (to == INVALID_HANDLE_VALUE)
        return 0;
    int same =
        identify(to, target_id) && source_id.index == target_id.index &&
        (source_id.volume == target_id.volume || source_id.volume == 0 || target_id.volume == 0);
    CloseHandle(to);
    return same;
}

int is_terminal(FILE *stream) {
    return _isatty(_fileno(stream));
}

// The console shows the stored code page 850 bytes.
int console_takes_utf8() {
    return 0;
}
