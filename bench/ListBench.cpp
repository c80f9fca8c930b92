// Custom list costs: building headline rows, drawing frames of a long and a
// short list with their layouts cached, the first frame (fonts loading), and
// writing a screenshot, ours against cairo's own writer on the same frame.
// `ListBench --rows-png FILE` writes the picture of mixed rows used in the
// README instead of running the benchmarks.
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

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

// One frame per iteration, as a reader scrolls: 24 px a frame from the middle
// of a list of `range(0)` rows, cycling through 100 positions. The layouts of
// those frames are cached by one pass first; the first frame's cost is
// measured separately.
void BM_ScrollFrames(benchmark::State& state) {
    auto list = MakeList(static_cast<int>(state.range(0)));
    Framebuffer fb;
    TextLayoutCache layouts;
    const int span = std::max(1, list->GetContentHeight() - Framebuffer::kHeight);
    auto paint = [&](int frame) {
        list->SetScrollY(std::min(span, span / 2 + (frame % 100) * 24));
        CairoPainter painter(fb, layouts);
        list->Paint(Canvas(painter, 0, 0));
    };
    for (int frame = 0; frame < 100; ++frame) {
        paint(frame);
    }
    int frame = 0;
    for (auto _ : state) {
        paint(frame++);
    }
}
BENCHMARK(BM_ScrollFrames)
    ->Arg(10000)
    ->Arg(10)
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

// Ours and, as the anchor, cairo's own writer, on the same frame.
void BM_WriteScreenshot(benchmark::State& state) {
    const bool cairo = state.range(0) == 1;
    auto form = MixedRowsForm();
    Framebuffer fb;
    TextLayoutCache layouts;
    PaintForm(*form, fb, layouts);
    std::string path = (std::filesystem::temp_directory_path() / "pregonero-listbench.png");
    for (auto _ : state) {
        std::string error;
        if (cairo &&
            cairo_surface_write_to_png(fb.Surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
            state.SkipWithError("cairo_surface_write_to_png failed");
            break;
        }
        if (!cairo && !fb.WritePng(path, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetLabel(cairo ? "cairo_surface_write_to_png" : "ours");
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteScreenshot)
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

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
