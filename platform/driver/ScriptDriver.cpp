#include "platform/driver/ScriptDriver.h"

#include "platform/app/AppRunner.h"
#include "platform/app/Application.h"
#include "platform/driver/FrameRenderer.h"
#include "platform/driver/ProcessClock.h"
#include "platform/driver/Snapshot.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/Form.h"
#include "platform/ui/IndicatorClock.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"
#include "platform/ui/ScreenComposer.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace pregonero::platform {

using Osp::Ui::Controls::Form;
using Osp::Ui::Controls::Frame;
using Osp::Ui::Controls::MessageBox;
using Osp::Ui::Controls::OptionMenu;

namespace {

std::string Trim(const std::string& s) {
    auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return {};
    }
    auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

// The longest wait or sleep a script may ask for: a day, far inside what a
// clock duration holds.
constexpr long kMaxWaitSeconds = 86400;

// A whole number from `low` to `high`, nothing else on the line.
bool ParseLong(const std::string& text, long& value, long low = 0, long high = INT_MAX) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && !text.empty() && value >= low && value <= high;
}

// A finite number of seconds from 0 to kMaxWaitSeconds ("inf" and "nan" are not).
bool ParseSeconds(const std::string& text, double& value) {
    try {
        std::size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && std::isfinite(value) && value >= 0 &&
               value <= kMaxWaitSeconds;
    } catch (...) {
        return false;
    }
}

} // namespace

ScriptDriver::ScriptDriver(std::unique_ptr<ScriptSource> source) : source_(std::move(source)) {}

bool ScriptDriver::Step(runtime::LoopMode mode, int& waitMs) {
    if (finished_) {
        return false;
    }
    auto now = Clock::now();
    if (state_ == State::Sleeping) {
        if (now < deadline_) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
            waitMs = std::min<int>(waitMs, static_cast<int>(left.count()) + 1);
            return false;
        }
        state_ = State::Ready;
    }
    if (state_ == State::WaitingIdle) {
        auto& runtime = runtime::Runtime::Get();
        if (runtime.Idle(mode) && runtime.Loop().RedrawPending() && now < deadline_) {
            // Idle only counts once the last change is on screen; the loop
            // renders on its very next turn.
            waitMs = 0;
            return false;
        }
        if (runtime.Idle(mode)) {
            state_ = State::Ready;
            idleAtMs_ = ProcessClock::NowMs();
        } else if (now >= deadline_) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "idle not reached within %g s", waitSeconds_);
            Fail(reason);
            return true;
        } else {
            waitMs = std::min(waitMs, 5);
            return false;
        }
    }
    std::string line;
    switch (source_->Take(line)) {
    case ScriptSource::Next::NotYet:
        waitMs = std::min(waitMs, 10);
        return false;
    case ScriptSource::Next::End:
        End();
        return true;
    case ScriptSource::Next::Line:
        ++lineNumber_;
        Execute(line);
        return true;
    case ScriptSource::Next::Error:
        ++lineNumber_;
        Fail(line);
        return true;
    }
    return false;
}

void ScriptDriver::End() {
    finished_ = true;
    if (auto* app = Osp::App::Application::GetInstance()) {
        app->Terminate();
    }
}

void ScriptDriver::Fail(const std::string& reason) {
    std::fprintf(stderr, "script:%d: %s\n", lineNumber_, reason.c_str());
    std::fflush(stderr);
    failed_ = true;
    End();
}

void ScriptDriver::Execute(const std::string& raw) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') {
        return;
    }
    auto space = line.find_first_of(" \t");
    std::string command = line.substr(0, space);
    std::string arg = space == std::string::npos ? std::string() : Trim(line.substr(space));
    if (command == "wait") {
        StartWait(arg);
    } else if (command == "sleep") {
        StartSleep(arg);
    } else if (command == "option") {
        PressKey(static_cast<int>(ui::Key::OptionKey));
    } else if (command == "softkey") {
        long n = 0;
        if (!ParseLong(arg, n, 0, 1)) {
            Fail("softkey needs 0 or 1");
            return;
        }
        PressKey(static_cast<int>(n == 0 ? ui::Key::Softkey0 : ui::Key::Softkey1));
    } else if (command == "key") {
        PressNamedKey(arg);
    } else if (command == "choose") {
        Choose(arg);
    } else if (command == "select") {
        SelectRow(arg);
    } else if (command == "ok") {
        MessageBox* box = MessageBox::Top();
        if (box == nullptr) {
            Fail("no message box to close");
            return;
        }
        box->PressOk();
    } else if (command == "event") {
        SendEvent(arg);
    } else if (command == "network") {
        if (arg != "on" && arg != "off") {
            Fail("network needs on or off");
            return;
        }
        runtime::Runtime::Get().Settings().networkOn.store(arg == "on");
    } else if (command == "clock") {
        if (!ui::IndicatorClock::Fix(arg)) {
            Fail("clock needs a time of day as HH:MM");
            return;
        }
        runtime::Runtime::Get().Loop().RequestRedraw();
    } else if (command == "mark") {
        Mark(arg);
    } else if (command == "dump") {
        Dump(arg);
    } else if (command == "screenshot") {
        Screenshot(arg);
    } else if (command == "quit") {
        End();
    } else {
        Fail("unknown command '" + command + "'");
    }
}

void ScriptDriver::StartWait(const std::string& arg) {
    waitSeconds_ = 10;
    if (!arg.empty() && !ParseSeconds(arg, waitSeconds_)) {
        Fail("wait needs a number of seconds from 0 to " + std::to_string(kMaxWaitSeconds));
        return;
    }
    state_ = State::WaitingIdle;
    deadline_ = Clock::now() + std::chrono::milliseconds(static_cast<long>(waitSeconds_ * 1000));
}

void ScriptDriver::StartSleep(const std::string& arg) {
    long ms = 0;
    if (!ParseLong(arg, ms, 0, kMaxWaitSeconds * 1000)) {
        Fail("sleep needs milliseconds from 0 to " + std::to_string(kMaxWaitSeconds * 1000));
        return;
    }
    state_ = State::Sleeping;
    deadline_ = Clock::now() + std::chrono::milliseconds(ms);
}

void ScriptDriver::Mark(const std::string& arg) {
    auto space = arg.find_first_of(" \t");
    std::string label = arg.substr(0, space);
    std::string when = space == std::string::npos ? std::string() : Trim(arg.substr(space));
    if (label.empty() || (!when.empty() && when != "idle")) {
        Fail("mark needs a label and optionally 'idle'");
        return;
    }
    double ms = ProcessClock::NowMs();
    if (when == "idle") {
        if (idleAtMs_ < 0) {
            Fail("mark idle needs a wait before it");
            return;
        }
        ms = idleAtMs_;
    }
    std::printf("mark %s %.1f\n", label.c_str(), ms);
    std::fflush(stdout);
}

void ScriptDriver::PressKey(int key) {
    Frame* frame = CurrentFrame();
    if (frame != nullptr) {
        ui::ScreenComposer::HandleKey(*frame, static_cast<ui::Key>(key));
    }
}

void ScriptDriver::PressNamedKey(const std::string& name) {
    static const std::pair<const char*, ui::Key> kKeys[] = {
        {"up", ui::Key::Up},         {"down", ui::Key::Down},
        {"pageup", ui::Key::PageUp}, {"pagedown", ui::Key::PageDown},
        {"left", ui::Key::Left},     {"right", ui::Key::Right},
        {"enter", ui::Key::Enter},   {"back", ui::Key::Back},
    };
    for (const auto& [keyName, key] : kKeys) {
        if (name == keyName) {
            PressKey(static_cast<int>(key));
            return;
        }
    }
    Fail("unknown key '" + name + "' (up, down, pageup, pagedown, left, right, enter, back)");
}

void ScriptDriver::Choose(const std::string& arg) {
    std::string text = arg;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    Frame* frame = CurrentFrame();
    Form* form = frame != nullptr ? frame->GetCurrentForm() : nullptr;
    OptionMenu* menu = form != nullptr ? form->GetAttachedOptionMenu() : nullptr;
    if (MessageBox::Top() != nullptr || menu == nullptr || !menu->IsOpen()) {
        Fail("no option menu is open");
        return;
    }
    if (!menu->Choose(Osp::Base::String(text.c_str()))) {
        Fail("no menu item '" + text + "'");
    }
}

void ScriptDriver::SelectRow(const std::string& arg) {
    long position = 0;
    if (!ParseLong(arg, position)) {
        Fail("select needs a row number");
        return;
    }
    Frame* frame = CurrentFrame();
    Form* form = frame != nullptr ? frame->GetCurrentForm() : nullptr;
    if (form == nullptr || MessageBox::Top() != nullptr) {
        Fail("no list to select from");
        return;
    }
    for (int i = form->GetControlCount() - 1; i >= 0; --i) {
        auto* control = form->GetControlAt(i);
        if (control->GetShowState() && control->ActivateRowAt(static_cast<int>(position))) {
            return;
        }
    }
    Fail("no row " + arg + " in a shown list");
}

void ScriptDriver::SendEvent(const std::string& arg) {
    long id = 0;
    if (!ParseLong(arg, id, LONG_MIN, LONG_MAX)) {
        Fail("event needs a number");
        return;
    }
    Frame* frame = CurrentFrame();
    auto* formMgr = frame != nullptr ? frame->GetControl(L"FormMgr", false) : nullptr;
    if (formMgr == nullptr) {
        Fail("no control named FormMgr");
        return;
    }
    formMgr->SendUserEvent(id, nullptr);
}

void ScriptDriver::Dump(const std::string& path) {
    Frame* frame = CurrentFrame();
    if (frame == nullptr) {
        Fail("nothing to dump");
        return;
    }
    std::string json = Snapshot::Build(*frame);
    if (path.empty()) {
        std::fwrite(json.data(), 1, json.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << json << '\n';
    if (!out) {
        Fail("cannot write " + path);
    }
}

void ScriptDriver::Screenshot(const std::string& path) {
    if (path.empty()) {
        Fail("screenshot needs a file name");
        return;
    }
    runtime::Runtime::Get().Loop().RequestRedraw();
    runtime::Runtime::Get().Loop().RenderNow();
    std::string error;
    if (!runtime::Runtime::Get().Screen().WritePng(path, &error)) {
        Fail("cannot write screenshot: " + error);
    }
}

} // namespace pregonero::platform
