// Loading a ticket-list answer into an open dataset against simdjson's bare parse of the same
// text. Counters: the answer's size and the memory the loaded dataset holds (bytes allocated
// by the load and still live afterwards), and its ratio to the answer.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <simdjson.h>

#include "data/tablejson_p.h"
#include "ticketanswer.h"

namespace {

std::atomic<long long> liveBytes{0};

} // namespace

// The counting allocator hands out malloc'ed blocks through operator new; g++ cannot see that
// the two belong together and reports a mismatch once both are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size)
{
    void* p = std::malloc(size + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = size;
    liveBytes.fetch_add(static_cast<long long>(size), std::memory_order_relaxed);
    return static_cast<char*>(p) + 16;
}

void operator delete(void* p) noexcept
{
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    liveBytes.fetch_sub(static_cast<long long>(*reinterpret_cast<std::size_t*>(base)), std::memory_order_relaxed);
    std::free(base);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

using namespace kiosk;

void LoadInto(simdjson::dom::parser& parser, const simdjson::padded_string& text, TDataSet& cds)
{
    simdjson::dom::element doc = parser.parse(text);
    tablejson::LoadAnswerTable(cds, doc["ticketlist"], doc["ticketlist_type"], doc["ticketlist_typelength"]);
}

void BM_ParseOnly(benchmark::State& state)
{
    const simdjson::padded_string text(bench::TicketListAnswer(static_cast<int>(state.range(0))));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element doc = parser.parse(text);
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_TableLoad(benchmark::State& state)
{
    const simdjson::padded_string text(bench::TicketListAnswer(static_cast<int>(state.range(0))));
    simdjson::dom::parser parser;
    for (auto _ : state) {
        TDataSet cds("cdsResult");
        LoadInto(parser, text, cds);
        benchmark::DoNotOptimize(cds.RecordCount());
    }
    TDataSet cds("cdsResult");
    LoadInto(parser, text, cds);
    cds.Close();
    const long long before = liveBytes.load();
    LoadInto(parser, text, cds);
    const long long held = liveBytes.load() - before;
    state.counters["answer_bytes"] = static_cast<double>(text.size());
    state.counters["dataset_bytes"] = static_cast<double>(held);
    state.counters["memory_ratio"] = static_cast<double>(held) / static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_ParseOnly)->Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TableLoad)->Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
