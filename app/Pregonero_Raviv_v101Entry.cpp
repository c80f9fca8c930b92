#include "app/Pregonero_Raviv_v101Entry.h"

#include "app/Pregonero_Raviv_v101.h"
#include "platform/base/ArrayList.h"

using namespace Osp::Base;
using namespace Osp::Base::Collection;

extern "C" int OspMain(int argc, char* pArgv[]) {
    ArrayList* pArgs = new ArrayList();
    pArgs->Construct(10);
    for (int i = 0; i < argc; i++) {
        pArgs->Add(*(new String(pArgv[i])));
    }
    result r = Osp::App::Application::Execute(Pregonero_Raviv_v101::CreateInstance, pArgs, 1);
    if (r != E_SUCCESS) {
        r &= 0x0000FFFF;
    }
    pArgs->RemoveAll(true);
    delete pArgs;
    return static_cast<int>(r);
}
