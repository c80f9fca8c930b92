// Custom list costs: building headline rows, drawing frames of a long list
// with and without the text layout cache, the first frame (fonts loading),
// and writing a screenshot. `ListBench --rows-png FILE` writes the picture of
// mixed rows used in the README instead of running the benchmarks.
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

using Osp::Base::String;
using Osp::Graphics::Canvas;
using Osp::Graphics::Rectangle;
using namespace Osp::Ui::Controls;
using namespace pregonero::runtime;

namespace {

String Headline(int i) {
    String title("El ayuntamiento aprueba el plan de movilidad número ");
    title.Append(i);
    return title;
}

const char* kSummary = "Las obras empezarán en primavera y durarán dos años, con cortes de "
                       "tráfico en el centro durante los fines de semana.";

ResultadosItem* MakeHeadline(int i, bool withImage) {
    auto* row = new ResultadosItem();
    String id("IDPORTADA");
    id.Append(i);
    row->Construct(Headline(i), "10:45", kSummary, withImage ? "http://127.0.0.1/p.jpg" : "",
                   "http://127.0.0.1/nota.xml", id);
    return row;
}

std::unique_ptr<CustomList> MakeList(int rows) {
    auto list = std::make_unique<CustomList>();
    list->Construct(Rectangle(0, 0, Framebuffer::kWidth, Framebuffer::kHeight),
                    CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < rows; ++i) {
        list->AddItem(*MakeHeadline(i, false), i);
    }
    return list;
}

void BM_BuildHeadlineRows(benchmark::State& state) {
    for (auto _ : state) {
        CustomList list;
        list.Construct(Rectangle(0, 0, 480, 800), CUSTOM_LIST_STYLE_NORMAL, true);
        for (int i = 0; i < state.range(0); ++i) {
            list.AddItem(*MakeHeadline(i, i % 2 == 0), i);
        }
        benchmark::DoNotOptimize(list.GetItemCount());
        state.PauseTiming(); // destroying the rows is not part of building them
        list.RemoveAllItems();
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildHeadlineRows)->Arg(10000)->Unit(benchmark::kMillisecond);

// One frame per iteration, cycling through 100 scroll positions. Arguments:
// row count, layout cache capacity (1 = naive: a frame's texts all differ, so
// each is shaped again every frame; 0 is not usable, the cache hands back a
// layout it has already evicted), and the motion: 0 = scrolling as a reader
// does, 24 px a frame from the middle of the list, after one pass that caches
// the layouts; 1 = jumping between positions spread over the whole list, where
// the rows of 100 frames outnumber any cache (every text is shaped again).
int ScrollPosition(int frame, int span, int motion) {
    if (motion == 1) {
        return static_cast<int>(static_cast<long long>(frame % 100) * span / 99);
    }
    const int start = span / 2;
    return std::min(span, start + (frame % 100) * 24);
}

void BM_ScrollFrames(benchmark::State& state) {
    auto list = MakeList(static_cast<int>(state.range(0)));
    Framebuffer fb;
    TextLayoutCache layouts(static_cast<std::size_t>(state.range(1)));
    const int motion = static_cast<int>(state.range(2));
    const int span = std::max(1, list->GetContentHeight() - Framebuffer::kHeight);
    // Fonts, and for the reader's motion the layouts too, are warmed first:
    // the first frame's cost is measured separately.
    for (int frame = 0; frame < (motion == 0 ? 100 : 1); ++frame) {
        list->SetScrollY(ScrollPosition(frame, span, motion));
        CairoPainter painter(fb, layouts);
        list->Paint(Canvas(painter, 0, 0));
    }
    int frame = 0;
    for (auto _ : state) {
        list->SetScrollY(ScrollPosition(frame, span, motion));
        CairoPainter painter(fb, layouts);
        list->Paint(Canvas(painter, 0, 0));
        ++frame;
    }
    state.SetLabel(std::string(state.range(1) <= 1 ? "no layout cache" : "layout cache") +
                   (motion == 0 ? ", scrolling" : ", jumping"));
}
BENCHMARK(BM_ScrollFrames)
    ->Args({10000, 1024, 0})
    ->Args({10000, 1, 0})
    ->Args({10, 1024, 0})
    ->Args({10, 1, 0})
    ->Args({10000, 1024, 1})
    ->Iterations(100)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// The very first frame of the process: font loading and shaping. Only the
// first run of a process measures that (fontconfig and Pango keep their
// caches), so bench/run.sh starts a fresh process for each sample.
void BM_FirstFrame(benchmark::State& state) {
    auto list = MakeList(10000);
    Framebuffer fb;
    for (auto _ : state) {
        TextLayoutCache layouts;
        CairoPainter painter(fb, layouts);
        list->Paint(Canvas(painter, 0, 0));
    }
}
BENCHMARK(BM_FirstFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

// A picture for the thumbnail slots: a soft two-colour gradient.
Osp::Graphics::Bitmap Thumbnail(int side, std::uint8_t hue) {
    auto pixels = std::make_shared<PixelBuffer>();
    pixels->width = side;
    pixels->height = side;
    pixels->stride = side * 4;
    pixels->format = PixelFormat::Argb8888;
    pixels->pixels.resize(static_cast<std::size_t>(side) * side * 4);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            std::uint32_t r = 40 + 150 * x / side;
            std::uint32_t g = hue;
            std::uint32_t b = 90 + 140 * y / side;
            std::uint32_t argb = 0xFF000000u | (r << 16) | (g << 8) | b;
            std::memcpy(&pixels->pixels[static_cast<std::size_t>(y) * pixels->stride + x * 4],
                        &argb, 4);
        }
    }
    return Osp::Graphics::Bitmap(pixels);
}

// A front-page-like form: a section header, headlines with and without a
// thumbnail, one focused, then a second section.
std::unique_ptr<Form> MixedRowsForm() {
    auto form = std::make_unique<Form>();
    form->Construct(FORM_STYLE_INDICATOR | FORM_STYLE_TITLE | FORM_STYLE_OPTIONKEY);
    form->SetTitleText("Pregonero");
    Rectangle client = form->GetClientAreaBounds();
    auto* list = new CustomList();
    list->Construct(Rectangle(0, 0, client.width, client.height), CUSTOM_LIST_STYLE_NORMAL, true);
    auto* header = new Seccion();
    header->Construct("Portada", 480);
    list->AddItem(*header, 0);
    for (int i = 0; i < 3; ++i) {
        ResultadosItem* row = MakeHeadline(i + 1, i != 1);
        if (i != 1) {
            Osp::Graphics::Bitmap picture = Thumbnail(176, i == 0 ? 120 : 60);
            row->SetElement(105, picture, &picture);
        }
        list->AddItem(*row, i + 1);
    }
    auto* second = new Seccion();
    second->Construct("Deportes", 480);
    list->AddItem(*second, 10);
    list->AddItem(*MakeHeadline(4, false), 11);
    list->SetFocusedIndex(2);
    form->AddControl(*list);
    return form;
}

void PaintForm(const Form& form, Framebuffer& fb, TextLayoutCache& layouts) {
    CairoPainter painter(fb, layouts);
    form.Paint(Canvas(painter, 0, 0));
}

void BM_WriteScreenshot(benchmark::State& state) {
    auto form = MixedRowsForm();
    Framebuffer fb;
    TextLayoutCache layouts;
    PaintForm(*form, fb, layouts);
    std::string path = (std::filesystem::temp_directory_path() / "pregonero-listbench.png");
    for (auto _ : state) {
        std::string error;
        if (!fb.WritePng(path, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteScreenshot)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--rows-png") == 0) {
        auto form = MixedRowsForm();
        Framebuffer fb;
        TextLayoutCache layouts;
        PaintForm(*form, fb, layouts);
        std::string error;
        if (!fb.WritePng(argv[2], &error)) {
            std::cerr << error << "\n";
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
