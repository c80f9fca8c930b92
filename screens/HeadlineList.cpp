#include "screens/HeadlineList.h"

#include <memory>
#include <utility>

#include "net/ImageLoader.h"
#include "net/PictureRequest.h"
#include "rows/ResultadosItem.h"

using Osp::Base::String;
using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;
using Osp::Ui::Controls::CustomList;
using Osp::Ui::Controls::Label;

namespace {

struct LabelLook {
    Color text;
    Color background;
    Osp::Ui::Controls::LabelTextStyle style;
};

// Colours and font before AddControl, alignment after, as the screens always had it.
Label* AddLabel(Osp::Ui::Controls::Form& form, const Rectangle& bounds, const String& text,
                const String& name, const LabelLook& look) {
    auto* label = new Label();
    label->Construct(bounds, text);
    label->SetTextColor(look.text);
    label->SetBackgroundColor(look.background);
    label->SetTextConfig(35, look.style);
    label->SetName(name);
    form.AddControl(*label);
    label->SetTextVerticalAlignment(Osp::Ui::ALIGNMENT_MIDDLE);
    label->SetTextHorizontalAlignment(Osp::Ui::ALIGNMENT_CENTER);
    return label;
}

} // namespace

Label* HeadlineList::AddLabels(Osp::Ui::Controls::Form& form, const String& headerText,
                               const String& headerName) {
    const int width = form.GetBounds().width;
    AddLabel(form, Rectangle(0, 0, width, kHeaderHeight), headerText, headerName,
             {Color::COLOR_BLACK, Color::COLOR_GREY, Osp::Ui::Controls::LABEL_TEXT_STYLE_BOLD});
    Label* loading = AddLabel(
        form, Rectangle(0, 100, width, kHeaderHeight), L"Cargando...", L"LabelCargando",
        {Color::COLOR_BLUE, Color::COLOR_WHITE, Osp::Ui::Controls::LABEL_TEXT_STYLE_ITALIC});
    return loading;
}

bool HeadlineList::Load(const HeadlineScreen& screen, const char* fileName, FeedLayout layout) {
    if (screen.customList != nullptr) {
        return true; // one feed per screen: a second body changes nothing
    }
    std::vector<HeadlineFeed::Record> records;
    {
        // The tree goes before the rows are built, so the two never peak together.
        FeedDocument document;
        if (document.Load(fileName) != FeedDocument::Status::Ok) {
            return false;
        }
        records = HeadlineFeed::Read(document.Root(), layout);
    }
    int withImg = 0;
    for (const HeadlineFeed::Record& record : records) {
        withImg += record.imgUrl.IsEmpty() ? 0 : 1;
    }
    ImageLoader::ARTICLES_WITH_IMG = withImg;
    ImageLoader::ARTICLES_PROCESSED = 0;

    const int width = screen.form.GetBounds().width;
    const int height = screen.form.GetClientAreaBounds().height;
    auto* list = new CustomList();
    list->Construct(Rectangle(0, kHeaderHeight, width, height - kHeaderHeight),
                    Osp::Ui::Controls::CUSTOM_LIST_STYLE_NORMAL, true);
    screen.customList = list;
    for (HeadlineFeed::Record& record : records) {
        AddRow(screen, std::move(record));
    }
    list->AddCustomItemEventListener(screen.listener);
    // With no picture awaited (or none that can still arrive) this shows the
    // list now; otherwise the last thumbnail callback does.
    ImageLoader::RevealWhenComplete(screen.formPortada, screen.formSeccion);
    screen.form.RequestRedraw(true);
    return true;
}

void HeadlineList::AddRow(const HeadlineScreen& screen, HeadlineFeed::Record&& record) {
    const bool wantsPicture = !record.imgUrl.IsEmpty();
    auto row = std::make_unique<ResultadosItem>();
    if (row->Construct(std::move(record.title), std::move(record.pubTime),
                       std::move(record.description), std::move(record.imgUrl),
                       std::move(record.link), std::move(record.id)) != E_SUCCESS ||
        screen.customList->AddItem(*row, screen.customList->GetItemCount()) != E_SUCCESS) {
        if (wantsPicture) {
            ImageLoader::CountMissing(nullptr, nullptr);
        }
        return;
    }
    ResultadosItem* added = row.release(); // the list owns it now
    if (!wantsPicture) {
        return;
    }
    ImageLoader* loader = screen.loaders.Add();
    loader->item = added;
    loader->formPortada = screen.formPortada;
    loader->formSeccion = screen.formSeccion;
    if (PictureRequest::Start(loader, added->imgUrl, Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888,
                              kThumbnailSide, kThumbnailSide) != E_SUCCESS) {
        // Refused: no callback will come, so it must not hold the list back.
        ImageLoader::CountMissing(nullptr, nullptr);
    }
}
