// Recording fakes of the front-end's system services, sharing one event log.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "settings_file.h"
#include "shell_services.h"
#include "startup.h"

namespace velmora::test {

using EventLog = std::vector<std::string>;

// What one ReplaceFileW call does, as its documentation gives the outcomes.
enum class ReplaceAct {
    Replace,         // success; with a backup name the old target is left under it
    UnableToMove,    // ERROR_UNABLE_TO_MOVE_REPLACEMENT: with a backup name both keep their
                     // names; without one the target is gone, the source under its name
    UnableToMove2,   // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the target under the backup name
                     // (or one of the system's choosing), the source under its own
    UnableToRemove,  // ERROR_UNABLE_TO_REMOVE_REPLACED: both keep their names
    Busy,            // ERROR_SHARING_VIOLATION
    Denied,          // ERROR_ACCESS_DENIED
};

// The file calls a fault can be injected into; Move is a replace onto a missing target.
enum class FileCall { Read, ReadWhole, Write, Replace, Move, Remove, List, MakeFolder };

// What an injected fault does to the one call it meets. Write: Full leaves half the bytes,
// Flush all of them, Ahead and Behind succeed with the file's time stamp a day off the
// local clock (a server's clock). Replace: the three half-way outcomes as above.
enum class Fault {
    Busy,
    Denied,
    Missing,
    Broken,
    Full,
    Flush,
    Ahead,
    Behind,
    UnableToMove,
    UnableToMove2,
    UnableToRemove,
};

// A file system in memory with a clock of its own: pauses move the clock on; files record
// when they were written, and a file can be held open by another program until a time.
class FakeFileSystem : public FileSystem {
  public:
    static constexpr std::uint32_t kSharingViolation = 32;
    static constexpr std::uint32_t kAccessDenied = 5;
    static constexpr std::uint32_t kDiskFull = 112;
    static constexpr std::uint32_t kBroken = 1117;  // ERROR_IO_DEVICE
    static constexpr std::uint64_t kDayMs = 24ull * 3600 * 1000;

    std::map<std::string, std::string> files;  // path -> bytes
    std::set<std::string> locked;              // files that cannot be opened
    std::set<std::string> folders;             // folders that exist
    std::set<std::string> deniedFolders;       // folders that refuse new files
    std::set<std::string> failWrite;           // a write stops after half the bytes (disk full)
    std::set<std::string> failReplace;         // targets that cannot be replaced (disk error)
    std::set<std::string> failRemove;
    // Replaces into a target act these out in turn, then `then` for good; a move onto a
    // missing target takes Busy, Denied or Replace from the same script.
    struct ReplaceScript {
        std::vector<ReplaceAct> first;
        ReplaceAct then = ReplaceAct::Replace;
        std::size_t calls = 0;
    };
    std::map<std::string, ReplaceScript> replaceScripts;
    std::map<std::string, std::uint64_t> heldUntilMs;  // open elsewhere: no replace, no delete
    std::map<std::string, std::uint64_t> writtenAtMs;
    std::map<std::string, std::string> shortNames;
    std::string userFolder = "C:\\Users\\u\\AppData\\Roaming\\Velmora";
    std::uint32_t pid = 4242;
    std::uint64_t nowMs = 10ull * 24 * 3600 * 1000;  // ten days after the clock's origin
    std::vector<unsigned> pauses;
    // Runs once half way through the next write (another store, for instance); meanwhile
    // the file being written is open without sharing, as a writer holds it.
    std::function<void()> duringWrite;
    std::string writing;
    int writes = 0;

    // Injected faults: every call of the kinds above is numbered in `calls`, and the call
    // whose number `faults` holds meets that fault instead of its normal outcome.
    std::vector<FileCall> calls;
    std::map<std::size_t, Fault> faults;
    // Runs before each such call (another store acting at that moment, for instance).
    std::function<void(FileCall)> beforeCall;

    WholeFile readFile(const std::string& path, std::size_t maxBytes) override {
        if (const std::optional<Fault> fault = nextCall(FileCall::Read)) {
            return failedRead(*fault);
        }
        auto found = files.find(path);
        if (found == files.end()) {
            return {FileState::Missing, {}, {FileFault::Missing, 2}};
        }
        if (locked.count(path) || folders.count(path)) {
            return {FileState::Unreadable, {}, {FileFault::Busy, kSharingViolation}};
        }
        return {FileState::Read, found->second.substr(0, maxBytes), {}};
    }
    WholeFile readWholeFile(const std::string& path) override {
        if (const std::optional<Fault> fault = nextCall(FileCall::ReadWhole)) {
            return failedRead(*fault);
        }
        if (folders.count(path)) {
            return {FileState::Unreadable, {}, {FileFault::Other, kAccessDenied}};
        }
        if (locked.count(path) || path == writing) {
            return {FileState::Unreadable, {}, {FileFault::Busy, kSharingViolation}};
        }
        auto found = files.find(path);
        if (found == files.end()) {
            return {FileState::Missing, {}, {FileFault::Missing, 2}};
        }
        return {FileState::Read, found->second, {}};
    }
    FileOutcome writeFlushed(const std::string& path, std::string_view bytes) override {
        ++writes;
        const std::optional<Fault> fault = nextCall(FileCall::Write);
        if (fault && *fault != Fault::Ahead && *fault != Fault::Behind) {
            return failedWrite(path, bytes, *fault);
        }
        if (deniedFolders.count(folderOfPath(path))) {
            return {FileFault::Denied, kAccessDenied};
        }
        if (locked.count(path) || folders.count(path) || !folderExists(path)) {
            return {FileFault::Missing, 3};
        }
        writtenAtMs[path] = nowMs;
        if (fault) {
            writtenAtMs[path] = *fault == Fault::Ahead ? nowMs + kDayMs : nowMs - kDayMs;
        }
        if (failWrite.count(path)) {
            files[path] = std::string(bytes.substr(0, bytes.size() / 2));
            return {FileFault::Other, kDiskFull};
        }
        if (duringWrite) {
            auto run = std::move(duringWrite);
            duringWrite = nullptr;
            files[path] = std::string(bytes.substr(0, bytes.size() / 2));
            writing = path;
            run();
            writing.clear();
            files[path] += std::string(bytes.substr(bytes.size() / 2));  // what is there now
        } else {
            files[path] = std::string(bytes);
        }
        return {};
    }
    FileOutcome replaceFile(const std::string& source, const std::string& target,
                            const std::string& backup) override {
        const bool targetThere = files.count(target) != 0;
        const std::optional<Fault> fault =
            nextCall(targetThere ? FileCall::Replace : FileCall::Move);
        if (fault) {
            switch (*fault) {
                case Fault::UnableToMove:
                    return act(ReplaceAct::UnableToMove, source, target, backup);
                case Fault::UnableToMove2:
                    return act(ReplaceAct::UnableToMove2, source, target, backup);
                case Fault::UnableToRemove:
                    return act(ReplaceAct::UnableToRemove, source, target, backup);
                default:
                    return outcomeOf(*fault);
            }
        }
        if (folders.count(target)) {
            return {FileFault::Other, kAccessDenied};
        }
        if (failReplace.count(target)) {
            return {FileFault::Other, kBroken};
        }
        if (!files.count(source)) {
            return {FileFault::Missing, 2};
        }
        if (held(source) || held(target) || locked.count(target)) {
            return {FileFault::Busy, kSharingViolation};
        }
        ReplaceAct scripted = ReplaceAct::Replace;
        auto script = replaceScripts.find(target);
        if (script != replaceScripts.end()) {
            ReplaceScript& s = script->second;
            scripted = s.calls < s.first.size() ? s.first[s.calls] : s.then;
            ++s.calls;
        }
        return act(scripted, source, target, backup);
    }
    bool removeFile(const std::string& path) override {
        if (nextCall(FileCall::Remove) || failRemove.count(path) || locked.count(path) ||
            held(path)) {
            return !files.count(path);
        }
        files.erase(path);
        return true;
    }
    FileOutcome makeFolder(const std::string& path) override {
        if (const std::optional<Fault> fault = nextCall(FileCall::MakeFolder)) {
            return outcomeOf(*fault);
        }
        if (files.count(path)) {
            return {FileFault::Other, 183};  // a file of that name is in the way
        }
        folders.insert(path);
        return {};
    }
    bool canOpenForReading(const std::string& path) override {
        return files.count(path) && !locked.count(path);
    }
    bool exists(const std::string& path) override {
        return files.count(path) != 0 || folders.count(path) != 0;
    }
    FolderListing filesStartingWith(const std::string& pathPrefix) override {
        FolderListing found;
        if (const std::optional<Fault> fault = nextCall(FileCall::List)) {
            found.outcome = outcomeOf(*fault);
            return found;
        }
        for (const auto& [path, bytes] : files) {
            if (path.compare(0, pathPrefix.size(), pathPrefix) == 0 &&
                folderOfPath(path) == folderOfPath(pathPrefix)) {
                const std::uint64_t written = writtenAtMs.count(path) ? writtenAtMs.at(path) : 0;
                found.entries.push_back({path, written, (nowMs - std::min(written, nowMs)) / 1000});
            }
        }
        return found;
    }
    std::optional<std::string> shortPathName(const std::string& path) override {
        auto found = shortNames.find(path);
        return found == shortNames.end() ? std::nullopt : std::optional(found->second);
    }
    std::string userSettingsFolder() override { return userFolder; }
    std::uint32_t processId() override { return pid; }
    void pause(unsigned milliseconds) override {
        pauses.push_back(milliseconds);
        nowMs += milliseconds;
    }

    // Every folder exists unless it is the per-user one, which is made on demand.
    bool folderExists(const std::string& path) const {
        const std::string folder = folderOfPath(path);
        return folder != userFolder || folders.count(folder) != 0;
    }
    static std::string folderOfPath(const std::string& path) {
        return path.substr(0, path.find_last_of('\\'));
    }
    // Where the system puts a target it renamed (a name of its own choosing, not ours).
    static std::string renamedTargetPath(const std::string& target) {
        return folderOfPath(target) + "\\~RF1a2b.TMP";
    }
    // One ReplaceFileW outcome, acted out on the files.
    FileOutcome act(ReplaceAct what, const std::string& source, const std::string& target,
                    const std::string& backup) {
        const bool targetThere = files.count(target) != 0;
        if (!targetThere && what != ReplaceAct::Replace && what != ReplaceAct::Denied) {
            what = ReplaceAct::Busy;  // a move onto a missing target has no half way
        }
        switch (what) {
            case ReplaceAct::Replace:
                break;
            case ReplaceAct::Busy:
                return {FileFault::Busy, kSharingViolation};
            case ReplaceAct::Denied:
                return {FileFault::Denied, kAccessDenied};
            case ReplaceAct::UnableToMove:
                if (backup.empty()) {
                    files.erase(target);
                }
                return {FileFault::Unfinished, 1176};
            case ReplaceAct::UnableToMove2:
                moveFile(target, backup.empty() ? renamedTargetPath(target) : backup);
                return {FileFault::Unfinished, 1177};
            case ReplaceAct::UnableToRemove:
                return {FileFault::Unfinished, 1175};
        }
        if (targetThere && !backup.empty()) {
            moveFile(target, backup);
        }
        moveFile(source, target);
        return {};
    }
    void moveFile(const std::string& from, const std::string& to) {
        files[to] = files[from];
        writtenAtMs[to] = writtenAtMs[from];
        files.erase(from);
    }
    std::optional<Fault> nextCall(FileCall kind) {
        if (beforeCall) {
            beforeCall(kind);
        }
        calls.push_back(kind);
        auto found = faults.find(calls.size() - 1);
        return found == faults.end() ? std::nullopt : std::optional<Fault>(found->second);
    }
    static FileOutcome outcomeOf(Fault fault) {
        switch (fault) {
            case Fault::Busy:
                return {FileFault::Busy, kSharingViolation};
            case Fault::Denied:
                return {FileFault::Denied, kAccessDenied};
            case Fault::Missing:
                return {FileFault::Missing, 3};
            case Fault::Full:
                return {FileFault::Other, kDiskFull};
            default:
                return {FileFault::Other, kBroken};
        }
    }
    static WholeFile failedRead(Fault fault) {
        const FileOutcome outcome = outcomeOf(fault);
        return {outcome.fault == FileFault::Missing ? FileState::Missing : FileState::Unreadable,
                {},
                outcome};
    }
    FileOutcome failedWrite(const std::string& path, std::string_view bytes, Fault fault) {
        if (fault == Fault::Full || fault == Fault::Flush) {
            files[path] =
                std::string(fault == Fault::Full ? bytes.substr(0, bytes.size() / 2) : bytes);
            writtenAtMs[path] = nowMs;
        }
        return outcomeOf(fault);
    }
    bool held(const std::string& path) const {
        if (path == writing) {
            return true;
        }
        auto found = heldUntilMs.find(path);
        return found != heldUntilMs.end() && nowMs < found->second;
    }
    unsigned pausedMs() const { return std::accumulate(pauses.begin(), pauses.end(), 0u); }
};

// Latin-1 as the ANSI code page: each byte one character, so that conversions are visible;
// a character beyond it has no exact ANSI form. Or, with utf8CodePage, UTF-8 as the ANSI code
// page (65001), where every text is exact. UTF-16LE by the book.
class FakeCodec : public AnsiCodec {
  public:
    bool utf8CodePage = false;

    std::string ansiToUtf8(std::string_view ansi) override {
        if (utf8CodePage) {
            return std::string(ansi);
        }
        std::string utf8;
        for (unsigned char c : ansi) {
            appendUtf8(utf8, c);
        }
        return utf8;
    }
    std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) override {
        if (utf8CodePage) {
            return std::string(utf8);
        }
        std::string ansi;
        for (char32_t c : codePoints(utf8)) {
            if (c > 0xFF) {
                return std::nullopt;
            }
            ansi += static_cast<char>(c);
        }
        return ansi;
    }
    std::string utf16leToUtf8(std::string_view bytes) override {
        std::string utf8;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            char32_t unit = static_cast<unsigned char>(bytes[i]) |
                            (static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
                const char32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                                     (static_cast<unsigned char>(bytes[i + 3]) << 8);
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
            appendUtf8(utf8, unit);
        }
        return utf8;
    }
    std::string utf8ToUtf16le(std::string_view utf8) override {
        std::string bytes;
        const auto unit = [&bytes](char32_t u) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        };
        for (char32_t c : codePoints(utf8)) {
            if (c >= 0x10000) {
                unit(0xD800 + ((c - 0x10000) >> 10));
                unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                unit(c);
            }
        }
        return bytes;
    }

    static void appendUtf8(std::string& out, char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    static std::vector<char32_t> codePoints(std::string_view utf8) {
        std::vector<char32_t> points;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
            for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
                c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            }
            points.push_back(c);
            i += length;
        }
        return points;
    }
};

class FakeWindowFinder : public WindowFinder {
  public:
    explicit FakeWindowFinder(EventLog& log) : log_(log) {}
    std::set<std::string> windows;
    bool exists(const std::string& title) override {
        log_.push_back("find " + title);
        return windows.count(title) != 0;
    }

  private:
    EventLog& log_;
};

// What a started program does, shared by the launcher and the process it hands out.
struct FakeProgramState {
    bool ended = false;
    int exitCode = 0;               // once ended; terminate() makes it 1
    std::set<std::string> windows;  // titles of its own top-level windows
    bool answers = true;            // its window answers messages
    bool endsOnClose = true;        // after a close request it ends, as soon as it is waited for
    bool closing = false;
};

class FakeProcess : public ChildProcess {
  public:
    FakeProcess(EventLog& log, std::shared_ptr<FakeProgramState> state)
        : log_(log), state_(std::move(state)) {}
    bool hasEnded() override { return state_->ended; }
    bool endedCleanly() override { return state_->ended && state_->exitCode == 0; }
    bool findWindow(const std::string& title) override {
        log_.push_back("find " + title);
        return state_->windows.count(title) != 0;
    }
    bool windowAnswers(unsigned timeoutMs) override {
        log_.push_back("ask " + std::to_string(timeoutMs));
        return state_->answers;
    }
    bool showsErrorBox() override { return false; }
    bool closeWindow(const std::string& title) override {
        log_.push_back("close " + title);
        if (state_->windows.count(title) == 0) {
            return false;
        }
        state_->closing = state_->endsOnClose;
        return true;
    }
    bool waitForEnd(unsigned timeoutMs) override {
        log_.push_back("wait " + std::to_string(timeoutMs));
        if (state_->closing) {
            end();
        }
        return state_->ended;
    }
    void terminate() override {
        log_.push_back("terminate");
        state_->exitCode = 1;
        end();
    }

  private:
    void end() {
        state_->ended = true;
        state_->windows.clear();
    }

    EventLog& log_;
    std::shared_ptr<FakeProgramState> state_;
};

class FakeLauncher : public ProcessLauncher {
  public:
    explicit FakeLauncher(EventLog& log) : log_(log) {}
    bool startFails = false;
    std::shared_ptr<FakeProgramState> program = std::make_shared<FakeProgramState>();
    std::unique_ptr<ChildProcess> start(const std::string& commandLine) override {
        log_.push_back("start " + commandLine);
        if (startFails) {
            return nullptr;
        }
        return std::make_unique<FakeProcess>(log_, program);
    }

  private:
    EventLog& log_;
};

class FakeDisplayMode : public DisplayModeControl {
  public:
    explicit FakeDisplayMode(EventLog& log) : log_(log) {}
    void restoreRegistryMode() override { log_.push_back("registry mode"); }

  private:
    EventLog& log_;
};

class FakeTimers : public TimerHost {
  public:
    explicit FakeTimers(EventLog& log) : log_(log) {}
    std::map<RunTimer, unsigned> running;
    std::uint32_t now = 0;  // milliseconds; the test moves it on
    bool start(RunTimer timer, unsigned intervalMs) override {
        log_.push_back("timer" + std::to_string(static_cast<int>(timer)) + " on " +
                       std::to_string(intervalMs));
        running[timer] = intervalMs;
        return true;
    }
    void stop(RunTimer timer) override {
        log_.push_back("timer" + std::to_string(static_cast<int>(timer)) + " off");
        running.erase(timer);
    }
    std::uint32_t nowMs() override { return now; }

  private:
    EventLog& log_;
};

// ShowCursor's display counter: starts at 0, shown while it is 0 or more.
class FakeCursor : public CursorControl {
  public:
    explicit FakeCursor(EventLog& log) : log_(log) {}
    std::int32_t count = 0;
    std::int32_t showCursor(bool show) override {
        log_.push_back(show ? "cursor show" : "cursor hide");
        count += show ? 1 : -1;
        return count;
    }

  private:
    EventLog& log_;
};

class FakeProgram : public ProgramControl {
  public:
    explicit FakeProgram(EventLog& log) : log_(log) {}
    bool ended = false;
    void endProgram() override {
        log_.push_back("end");
        ended = true;
    }

  private:
    EventLog& log_;
};

class FakeForms : public StartupForms {
  public:
    explicit FakeForms(EventLog& log) : log_(log) {}
    void showPreview(std::int32_t boxHandle) override {
        log_.push_back("preview " + std::to_string(boxHandle));
    }
    void showSettingsDialog() override { log_.push_back("dialog"); }
    void showMessage(const std::string& text, const std::string& caption) override {
        log_.push_back("message " + text + " | " + caption);
    }
    void loadRunForm() override { log_.push_back("run form"); }

  private:
    EventLog& log_;
};

}  // namespace velmora::test
