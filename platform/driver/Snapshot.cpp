#include "platform/driver/Snapshot.h"

#include "platform/base/JsonWriter.h"
#include "platform/driver/ProcessClock.h"
#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace pregonero::platform {

using Osp::Ui::Controls::Form;
using Osp::Ui::Controls::MessageBox;
using Osp::Ui::Controls::OptionMenu;

namespace {

void CloseFile(std::FILE* file) {
    std::fclose(file);
}

// Resident memory now, so a script can watch memory while it pages; -1 when
// the system does not tell.
long long ResidentKb() {
    const runtime::UniqueHandle<std::FILE, CloseFile> statm(std::fopen("/proc/self/statm", "r"));
    if (!statm) {
        return -1;
    }
    long long size = 0;
    long long resident = -1;
    if (std::fscanf(statm.get(), "%lld %lld", &size, &resident) != 2) {
        resident = -1;
    }
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

std::string Snapshot::Build(const Osp::Ui::Controls::Frame& frame) {
    text::JsonWriter json;
    json.BeginObject();
    json.Key("forms").BeginArray();
    for (Form* form : frame.GetForms()) {
        json.String(form->GetName().ToUtf8());
    }
    json.EndArray();
    Form* current = frame.GetCurrentForm();
    json.Key("form");
    if (current != nullptr) {
        current->DescribeForm(json);
    } else {
        json.Null();
    }
    json.Key("controls").BeginArray();
    if (current != nullptr) {
        for (int i = 0; i < current->GetControlCount(); ++i) {
            current->GetControlAt(i)->Describe(json);
        }
    }
    json.EndArray();
    json.Key("menu");
    OptionMenu* menu = current != nullptr ? current->GetAttachedOptionMenu() : nullptr;
    if (menu != nullptr) {
        menu->DescribeMenu(json);
    } else {
        json.Null();
    }
    json.Key("messageBox");
    if (MessageBox* box = MessageBox::Top()) {
        box->DescribeBox(json);
    } else {
        json.Null();
    }
    json.Key("ms").Int(std::llround(ProcessClock::NowMs()));
    json.Key("rssKb").Int(ResidentKb());
    json.EndObject();
    return json.Text();
}

} // namespace pregonero::platform
