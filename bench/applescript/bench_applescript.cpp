// Speed of the script engine. Goals: compiling a 60-line script in at most 0.2 ms
// (every command compiles its resource afresh), and a loop that concatenates
// 10,000 texts in at most 10 ms (string building must stay linear).

#include "platform/applescript/Engine.h"

#include <benchmark/benchmark.h>

namespace {

using namespace platform::applescript;

// Sixty lines in the manner of the mail scripts: a property, a handler, a tell
// block with loops, conditions, text operations and a try.
const QString kSixtyLines = QStringLiteral(R"(-- collects one line per selected message
property reverseOrder : false
property separator : return

on joinLines(theList, theDelimiter)
    set saved to AppleScript's text item delimiters
    set AppleScript's text item delimiters to theDelimiter
    set joined to theList as text
    set AppleScript's text item delimiters to saved
    return joined
end joinLines

on cleanText(s)
    if s is missing value then return ""
    set s to s as text
    repeat while s begins with " "
        set s to text 2 thru -1 of s
    end repeat
    return s
end cleanText

set results to {}
set counter to 0
set total to 0
repeat with i from 1 to 3
    set counter to counter + i * 2 - 1
    if counter mod 2 = 0 then
        set total to total + counter div 2
    else if counter > 10 then
        set total to total - 1
    else
        set total to total + 1
    end if
end repeat
try
    set firstWord to word 1 of "Hello there, world"
    set parts to paragraphs of ("a" & return & "b" & linefeed & "c")
    set n to count of parts
on error errorMessage number errorNumber
    set firstWord to errorMessage & errorNumber
end try
set names to {"Ann Example <ann@example.org>", "bob@example.org", "Carol <c@example.org>"}
repeat with entry in names
    set entryText to entry as text
    if entryText contains "<" then
        set start to (offset of "<" in entryText) + 1
        set address to text start thru -2 of entryText
    else
        set address to entryText
    end if
    set end of results to my cleanText(address)
end repeat
if reverseOrder then set results to reverse of results
set summary to {first:item 1 of results, count:count of results}
considering case
    set same to (item 1 of results) = "ANN@EXAMPLE.ORG"
end considering
set output to my joinLines(results, separator)
if output is "" then error "nothing selected" number -128
output & separator & firstWord & " " & total
)");

void BM_Compile60Lines(benchmark::State& state)
{
    if (checkSyntax(kSixtyLines)) {
        state.SkipWithError("the benchmark script does not compile");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(checkSyntax(kSixtyLines));
}
BENCHMARK(BM_Compile60Lines)->Unit(benchmark::kMicrosecond);

void BM_Run60Lines(benchmark::State& state)
{
    for (auto _ : state) {
        const Outcome outcome = runScript(kSixtyLines);
        if (!outcome.value)
            state.SkipWithError(outcome.error.message.toUtf8().constData());
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_Run60Lines)->Unit(benchmark::kMicrosecond);

void BM_Concatenate10000Texts(benchmark::State& state)
{
    const QString script = QStringLiteral("set s to \"\"\n"
                                          "repeat with i from 1 to 10000\n"
                                          "    set s to s & \"item \" & i & return\n"
                                          "end repeat\n"
                                          "length of s");
    for (auto _ : state) {
        const Outcome outcome = runScript(script);
        if (!outcome.value)
            state.SkipWithError(outcome.error.message.toUtf8().constData());
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_Concatenate10000Texts)->Unit(benchmark::kMillisecond);

void BM_AppendToList10000(benchmark::State& state)
{
    const QString script = QStringLiteral("set L to {}\n"
                                          "repeat with i from 1 to 10000\n"
                                          "    set end of L to i\n"
                                          "end repeat\n"
                                          "count of L");
    for (auto _ : state)
        benchmark::DoNotOptimize(runScript(script));
}
BENCHMARK(BM_AppendToList10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
