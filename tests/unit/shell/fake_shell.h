// Recording fakes of the front-end's system services, sharing one event log.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "settings_file.h"
#include "shell_services.h"
#include "startup.h"

namespace velmora::test {

using EventLog = std::vector<std::string>;

class FakeFileSystem : public FileSystem {
  public:
    std::map<std::string, std::string> files;  // path -> bytes
    std::set<std::string> locked;              // files that cannot be opened
    std::set<std::string> folders;             // folders that exist
    std::set<std::string> failWrite;           // a write stops after half the bytes
    std::set<std::string> failFlush;           // the bytes are written, the flush fails
    std::set<std::string> failReplace;         // targets that cannot be replaced
    std::set<std::string> failRemove;
    std::map<std::string, std::string> shortNames;
    std::string userFolder = "C:\\Users\\u\\AppData\\Roaming\\Velmora";
    int writes = 0;

    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override {
        auto found = files.find(path);
        if (found == files.end() || locked.count(path)) {
            return std::nullopt;
        }
        return found->second.substr(0, maxBytes);
    }
    WholeFile readWholeFile(const std::string& path) override {
        if (locked.count(path) || folders.count(path)) {
            return {FileState::Unreadable, {}};
        }
        auto found = files.find(path);
        if (found == files.end()) {
            return {FileState::Missing, {}};
        }
        return {FileState::Read, found->second};
    }
    bool writeFlushed(const std::string& path, std::string_view bytes) override {
        ++writes;
        if (locked.count(path) || folders.count(path) || !folderExists(path)) {
            return false;
        }
        if (failWrite.count(path)) {
            files[path] = std::string(bytes.substr(0, bytes.size() / 2));
            return false;
        }
        files[path] = std::string(bytes);
        return !failFlush.count(path);
    }
    bool replaceFile(const std::string& source, const std::string& target) override {
        if (failReplace.count(target) || locked.count(target) || folders.count(target) ||
            !files.count(source)) {
            return false;
        }
        files[target] = files[source];
        files.erase(source);
        return true;
    }
    bool removeFile(const std::string& path) override {
        if (failRemove.count(path) || locked.count(path)) {
            return false;
        }
        return files.erase(path) != 0;
    }
    bool makeFolder(const std::string& path) override {
        if (files.count(path)) {
            return false;  // a file of that name is in the way
        }
        folders.insert(path);
        return true;
    }
    bool canOpenForReading(const std::string& path) override {
        return files.count(path) && !locked.count(path);
    }
    std::optional<std::string> shortPathName(const std::string& path) override {
        auto found = shortNames.find(path);
        if (found == shortNames.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::string userSettingsFolder() override { return userFolder; }

    // Every folder exists unless it is the per-user one, which is made on demand.
    bool folderExists(const std::string& path) const {
        const std::string folder = path.substr(0, path.find_last_of('\\'));
        return folder != userFolder || folders.count(folder) != 0;
    }
};

// Latin-1 as the ANSI code page: each byte one character, so that conversions are visible;
// a character beyond it has no exact ANSI form. UTF-16LE by the book.
class FakeCodec : public AnsiCodec {
  public:
    std::string ansiToUtf8(std::string_view ansi) override {
        std::string utf8;
        for (unsigned char c : ansi) {
            appendUtf8(utf8, c);
        }
        return utf8;
    }
    std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) override {
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
    void start(RunTimer timer, unsigned intervalMs) override {
        log_.push_back("timer" + std::to_string(static_cast<int>(timer)) + " on " +
                       std::to_string(intervalMs));
        running[timer] = intervalMs;
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
