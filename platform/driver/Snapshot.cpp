#include "platform/driver/Snapshot.h"

#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"

namespace pregonero::platform {

using Osp::Ui::Controls::Form;
using Osp::Ui::Controls::MessageBox;
using Osp::Ui::Controls::OptionMenu;

std::string Snapshot::Build(const Osp::Ui::Controls::Frame& frame) {
    runtime::JsonWriter json;
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
    json.EndObject();
    return json.Text();
}

} // namespace pregonero::platform
