#pragma once

#include "net/ImageLoaderSet.h"
#include "platform/base/String.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "platform/ui/ICustomItemEventListener.h"
#include "platform/ui/Label.h"
#include "screens/HeadlineFeed.h"

class FormPortada;
class FormSeccion;

// What a headline screen lends to the code that fills it. Exactly one of
// formPortada and formSeccion is set: it is the screen the loaders reveal.
struct HeadlineScreen {
    Osp::Ui::Controls::Form& form;
    const Osp::Ui::ICustomItemEventListener& listener;
    Osp::Ui::Controls::CustomList*& customList;
    ImageLoaderSet& loaders;
    FormPortada* formPortada;
    FormSeccion* formSeccion;
};

// Reading a headline feed into rows, shared by the front page and the section
// screens, which differ only in the walk and the id prefix.
class HeadlineList {
public:
    static constexpr int kHeaderHeight = 50;
    static constexpr int kThumbnailSide = 176;

    // The header label and the "Cargando..." label, added to `form` in that
    // order; returns the loading label.
    static Osp::Ui::Controls::Label* AddLabels(Osp::Ui::Controls::Form& form,
                                               const Osp::Base::String& headerText,
                                               const Osp::Base::String& headerName);
    // Reads `fileName`, builds the list and asks for the thumbnails; the list
    // is shown at once when no picture is awaited. False when the file is not
    // a usable feed: nothing was built.
    static bool Load(const HeadlineScreen& screen, const char* fileName, FeedLayout layout);

private:
    static void AddRow(const HeadlineScreen& screen, HeadlineFeed::Record&& record);
};
