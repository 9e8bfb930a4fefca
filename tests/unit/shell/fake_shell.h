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
    bool writesFail = false;
    int writes = 0;

    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override {
        auto found = files.find(path);
        if (found == files.end() || locked.count(path)) {
            return std::nullopt;
        }
        return found->second.substr(0, maxBytes);
    }
    bool writeFile(const std::string& path, std::string_view bytes) override {
        ++writes;
        if (writesFail) {
            return false;
        }
        files[path] = std::string(bytes);
        return true;
    }
    bool canOpenForReading(const std::string& path) override {
        return files.count(path) && !locked.count(path);
    }
};

// Latin-1 as the ANSI code page: each byte one character, so that conversions are visible.
class FakeCodec : public AnsiCodec {
  public:
    std::string ansiToUtf8(std::string_view ansi) override {
        std::string utf8;
        for (unsigned char c : ansi) {
            if (c < 0x80) {
                utf8 += static_cast<char>(c);
            } else {
                utf8 += static_cast<char>(0xC0 | (c >> 6));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return utf8;
    }
    std::string utf8ToAnsi(std::string_view utf8) override {
        std::string ansi;
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto c = static_cast<unsigned char>(utf8[i]);
            if (c >= 0xC0 && i + 1 < utf8.size()) {
                ansi += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
            } else {
                ansi += static_cast<char>(c);
            }
        }
        return ansi;
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
