#include "platform/directory_watch.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {

namespace {
constexpr DWORD kBufferBytes = 65536;
// FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION
constexpr DWORD kFilter = 0x51;
}  // namespace

struct DirectoryWatch::State {
    HANDLE directory = INVALID_HANDLE_VALUE;
    HANDLE stopEvent = nullptr;
    HANDLE readEvent = nullptr;
    OVERLAPPED overlapped{};
    bool readPending = false;
    std::vector<DWORD> buffer;  // DWORD-aligned, as the records require

    bool issueRead() {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = readEvent;
        ResetEvent(readEvent);
        readPending = ReadDirectoryChangesW(directory, buffer.data(), kBufferBytes, TRUE, kFilter, nullptr,
                                            &overlapped, nullptr) ||
                      GetLastError() == ERROR_IO_PENDING;
        return readPending;
    }

    ~State() {
        if (directory != INVALID_HANDLE_VALUE) {
            if (readPending) {
                CancelIoEx(directory, &overlapped);
                DWORD ignored = 0;
                GetOverlappedResult(directory, &overlapped, &ignored, TRUE);
            }
            CloseHandle(directory);
        }
        if (stopEvent) CloseHandle(stopEvent);
        if (readEvent) CloseHandle(readEvent);
    }
};

DirectoryWatch::DirectoryWatch() : state_(std::make_unique<State>()) {
    state_->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

DirectoryWatch::~DirectoryWatch() = default;

bool DirectoryWatch::open(const std::string& path) {
    if (state_->directory != INVALID_HANDLE_VALUE || !state_->stopEvent) return false;
    state_->directory = CreateFileW(win32::widen(path).c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (state_->directory == INVALID_HANDLE_VALUE) return false;
    state_->readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state_->buffer.assign(kBufferBytes / sizeof(DWORD), 0);
    return state_->readEvent != nullptr;
}

bool DirectoryWatch::arm() {
    if (state_->directory == INVALID_HANDLE_VALUE) return false;
    return state_->readPending || state_->issueRead();
}

DirectoryWatch::Wait DirectoryWatch::wait(std::vector<DirectoryChange>& changes) {
    changes.clear();
    if (state_->directory == INVALID_HANDLE_VALUE) return Wait::Failed;
    if (WaitForSingleObject(state_->stopEvent, 0) == WAIT_OBJECT_0) return Wait::Interrupted;

    if (!state_->readPending && !state_->issueRead()) return Wait::Failed;
    const HANDLE handles[2] = {state_->readEvent, state_->stopEvent};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    DWORD bytes = 0;
    if (which != WAIT_OBJECT_0) {
        CancelIoEx(state_->directory, &state_->overlapped);
        GetOverlappedResult(state_->directory, &state_->overlapped, &bytes, TRUE);  // the buffer is ours again
        state_->readPending = false;
        return which == WAIT_OBJECT_0 + 1 ? Wait::Interrupted : Wait::Failed;
    }
    state_->readPending = false;
    if (!GetOverlappedResult(state_->directory, &state_->overlapped, &bytes, FALSE) || bytes == 0) {
        return Wait::Changes;  // the system's buffer overflowed: those changes are lost
    }

    const auto* base = reinterpret_cast<const unsigned char*>(state_->buffer.data());
    std::size_t offset = 0;
    for (;;) {
        if (offset + sizeof(FILE_NOTIFY_INFORMATION) > bytes) break;
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
        const std::size_t nameUnits = record->FileNameLength / sizeof(WCHAR);
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + nameUnits * sizeof(WCHAR) > bytes) break;
        DirectoryChange change;
        bool wanted = true;
        switch (record->Action) {
            case FILE_ACTION_ADDED: change.kind = DirectoryChangeKind::Added; break;
            case FILE_ACTION_MODIFIED: change.kind = DirectoryChangeKind::Modified; break;
            case FILE_ACTION_RENAMED_NEW_NAME: change.kind = DirectoryChangeKind::NewName; break;
            default: wanted = false;  // removals and old names
        }
        if (wanted) {
            change.name = win32::narrow(std::wstring_view(record->FileName, nameUnits));
            changes.push_back(std::move(change));
        }
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
    }
    return Wait::Changes;
}

void DirectoryWatch::interrupt() {
    if (state_->stopEvent) SetEvent(state_->stopEvent);
}

}  // namespace quillvarden::platform
