// Random keystrokes, clicks and timer ticks against the calculator, for a
// sanitizer build: no key sequence may crash it or put a non-number text such as
// "Infinity" or "NaN" on the display.
//
//   numbelle_keyfuzz [COUNT] [SEED]

#include "engine/calculator.h"
#include "engine/keys.h"
#include "platform/recording/recordingplatform.h"
#include "records/recordstore.h"
#include "speech/speaker.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace numbelle;

namespace {

class QuietHost : public CalculatorHost {
public:
    void perform(Action) override {}
    void focusEquals() override {}
    void saveSettings() override { ++saves; }
    void messageBox(const QString &, const QString &) override {}
    void speakerChanged(bool) override {}
    long saves = 0;
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
    state.voiceOn = kTrue;
    platform::RecordingPlatform recording;
    Speaker speaker(state, recording.platform().sound);
    RecordStore records;
    QuietHost host;
    Calculator calc(state, speaker, records, host);
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
    std::mt19937 rng(seed);
    long displayFaults = 0;
    for (long i = 0; i < count; ++i) {
        const auto r = rng() % 100;
        if (r < 55) {
            calc.keyPress(typed[rng() % typedCount]);
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
        const QString &display = calc.view().label1;
        if (display.contains(QStringLiteral("Infinity")) || display.contains(QStringLiteral("NaN")))
            ++displayFaults;
        // Keep the display from growing without bound, as a person would clear it.
        if (display.size() > 400)
            calc.clickButton(21);
        recording.discardSpoken();
        recording.discardEvents();
        recording.discardMessages();
    }
    std::printf("%ld random keys and clicks, %ld settings saves, %lld records, %ld bad displays\n", count, host.saves,
                static_cast<long long>(state.recordCount), displayFaults);
    return displayFaults == 0 ? 0 : 1;
}
