// Time to extract the Subject from headers of growing size. The time per byte
// must stay flat: a long folded field must not cost quadratic time. The
// bytes_per_second column gives it: nanoseconds per byte = 1e9 / bytes_per_second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/message_text.h"

namespace {

// Ordinary header lines up to the size, the Subject last.
std::string ManyFields(size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i) {
        text += "X-Trace-" + std::to_string(i) + ": relay" + std::to_string(i) +
                ".example.org; Mon, 1 Jan 2024\r\n";
    }
    return text + "From: Bob <bob@example.org>\r\nSubject: found at the end\r\n";
}

// One Subject folded into short lines up to the size.
std::string FoldedSubject(size_t size) {
    std::string text = "From: Bob <bob@example.org>\r\nSubject: start";
    while (text.size() < size) {
        text += "\r\n\tword";
    }
    return text + "\r\n";
}

void Extract(benchmark::State& state, const std::string& text) {
    CMessageText message;
    message.m_pszText = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(message.m_pszText, text.c_str(), text.size() + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(message.GetSubject());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_SubjectAmongFields(benchmark::State& state) {
    Extract(state, ManyFields(static_cast<size_t>(state.range(0))));
}

void BM_FoldedSubject(benchmark::State& state) {
    Extract(state, FoldedSubject(static_cast<size_t>(state.range(0))));
}

BENCHMARK(BM_SubjectAmongFields)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20);
BENCHMARK(BM_FoldedSubject)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
