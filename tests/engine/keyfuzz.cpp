// SPDX-License-Identifier: GPL-3.0-or-later
// Random keystrokes, clicks and timer ticks against the calculator, for a
// sanitizer build: no key sequence may crash it or put a non-number text such as
// "Infinity" or "NaN" on the display, or keep a value that is not finite.
//
//   numbelle_keyfuzz [COUNT] [SEED]

#include "engine/calculator.h"
#include "engine/keys.h"
#include "platform/recording/recordingplatform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace numbelle;

namespace {

// A display that holds more than a number (letters other than the X of an
// identity number, operators, brackets).
bool startedAsFormula(const QString &text)
{
    for (QChar c : text) {
        if ((c.isLetter() && c != u'X' && c.unicode() < 128) || QStringLiteral("()^&×÷+*/<>\\").contains(c))
            return true;
    }
    return false;
}

class QuietHost : public CalculatorHost {
public:
    void perform(Action) override {}
    void focusEquals() override {}
    void messageBox(const QString &, const QString &) override {}
    void speakerChanged(bool) override {}
};

} // namespace

int main(int argc, char **argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const unsigned seed = argc > 2 ? unsigned(std::atol(argv[2])) : 20261208u;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QDir::setCurrent(dir.path());

    ProgramState state;
    state.voiceOn = true;
    platform::RecordingPlatform recording;
    SettingsStore settings;
    long saves = 0;
    QObject::connect(&settings, &SettingsStore::changed, [&saves] { ++saves; });
    Speaker speaker(state, settings, recording.platform().sound);
    RecordStore records;
    QuietHost host;
    Calculator calc(state, settings, speaker, records, host);
    calc.startUp();

    const char16_t typed[] = u"0123456789012345678901234567890123456789+-*/=.,.,zzzcrsmexnovtdkaZX()^\\&<>"
                             u"sqr(abs(int(fix(log(exp(round(hex(oct(cint(csng(rnd mod and or not xor E\b\b\b\x1b"
                             u"，。";
    const size_t typedCount = sizeof typed / sizeof typed[0] - 1;
    std::vector<int> buttons;
    for (const KeySpec &key : keyTable()) {
        if (key.button != kNoButton)
            buttons.push_back(key.button);
    }
    // Whole words typed at once: numbers at the edges of a double's range.
    const std::u16string bursts[] = {u"9e999",
                                     u"1e308",
                                     u"1e-320",
                                     u"99999999999999999999999999999999",
                                     std::u16string(u".") + std::u16string(330, u'0') + u"1",
                                     std::u16string(310, u'9'),
                                     u"4.9e-324"};
    std::mt19937 rng(seed);
    long faults = 0;
    auto fault = [&](long key, const char *what) {
        if (++faults <= 10)
            std::fprintf(stderr, "key %ld: %s (display \"%s\")\n", key, what, qPrintable(calc.view().display));
    };
    for (long i = 0; i < count; ++i) {
        const auto r = rng() % 100;
        if (r < 54) {
            calc.keyPress(typed[rng() % typedCount]);
        } else if (r < 55) {
            for (char16_t c : bursts[rng() % std::size(bursts)])
                calc.keyPress(c);
        } else if (r < 85) {
            calc.clickButton(buttons[rng() % buttons.size()]);
        } else if (r < 92) {
            // The read-out timer ticks only while it runs.
            if (calc.view().timer1Enabled)
                calc.timer1Tick();
        } else if (r < 95) {
            calc.clickLabel11();
        } else if (r < 97) {
            calc.clickLabel4();
        } else if (r < 98) {
            calc.keyDown(SpecialKey::F2);
        } else {
            calc.numsound(int(rng() % 130));
        }
        // No key stores an infinity or a NaN, and no result shown reads as one
        // (a typed formula may hold those letters; its result may not).
        if (!std::isfinite(state.lastResult) || !std::isfinite(calc.accumulator()) || !std::isfinite(calc.operand()) ||
            !std::isfinite(settings.values().memoryValue))
            fault(i, qPrintable(QStringLiteral("a value that is not finite: lastResult %1 accumulator %2 operand %3 "
                                               "memory %4")
                                    .arg(state.lastResult)
                                    .arg(calc.accumulator())
                                    .arg(calc.operand())
                                    .arg(settings.values().memoryValue)));
        const QString &display = calc.view().display;
        QString shown = state.calcMode == ModeExpression ? display.section(u'=', 1) : display;
        // Entry mode keeps a formula typed in expression mode on the display
        // until a number replaces it; that is typed text, not a result.
        if (state.calcMode == ModeEntry && startedAsFormula(shown))
            shown.clear();
        shown = shown.toLower();
        if (shown.contains(QStringLiteral("inf")) || shown.contains(QStringLiteral("nan")))
            fault(i, "a result shown as infinity or NaN");
        // Keep the display from growing without bound, as a person would clear it.
        if (display.size() > 400)
            calc.clickButton(21);
        recording.discardSpoken();
        recording.discardEvents();
        recording.discardMessages();
    }
    std::printf("%ld random keys and clicks (seed %u), %ld settings changes, %lld records, %ld faults\n", count, seed,
                saves, static_cast<long long>(state.recordCount), faults);
    return faults == 0 ? 0 : 1;
}
