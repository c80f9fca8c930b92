#include "net/DownloadMessage.h"

#include "platform/ui/MessageBox.h"

void ShowDownloadMessage(const Osp::Base::String& text) {
    Osp::Ui::Controls::MessageBox messageBox;
    messageBox.Construct(L"TestHttpGet", text, Osp::Ui::Controls::MSGBOX_STYLE_OK, 0);
    int modalResult = 0;
    messageBox.ShowAndWait(modalResult);
}
