// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the loan window's longest schedule, 32,765 periods: the
// computation alone, and what a user waits for after pressing "等额本金" or
// "等额本息" in the real window (computed, the grid's model filled and the
// grid painted) — which must stay under 150 ms — and one step of scrolling
// through the grid. Runs the whole program on the offscreen platform with the
// recording platform, as numbelle-script does.
//
//   numbelle_bench_loan [RUNS]

#include "loan/schedule.h"
#include "platform/recording/recordingplatform.h"
#include "shell/program.h"
#include "uikit/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

using namespace numbelle;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    ui::WindowTimer::setManual(true);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temp folder\n");
        return 1;
    }
    QFile settings(dir.filePath(QStringLiteral("savedata.txt")));
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write(" 0  0  0  0  2  0  0  1  5000  255  800  0  15  0  4.41 \r\n");
    settings.close();

    const loan::Inputs inputs{QStringLiteral("1000000"), QString::number(loan::kMaxPeriods), QStringLiteral("4.41"),
                              QStringLiteral("10"), false};
    for (loan::Method method : {loan::Method::EqualPrincipal, loan::Method::EqualInstalment}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            const loan::Outcome out = loan::computeSchedule(method, inputs);
            times.push_back(milliseconds(timer));
            if (!out.schedule)
                return 1;
        }
        std::printf("computing %d periods (%s): median %.1f ms\n", loan::kMaxPeriods,
                    method == loan::Method::EqualPrincipal ? "equal principal" : "equal instalment", median(times));
    }

    platform::RecordingPlatform recording;
    ui::Program program(recording.platform(), dir.path());
    program.start();
    program.perform(CalculatorHost::Action::OpenLoan);
    QWidget *window = program.windows().window(ui::WindowId::Loan);
    if (!window)
        return 1;
    QCoreApplication::processEvents();
    window->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(inputs.amount);
    window->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(inputs.term);
    window->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText(inputs.floating);
    auto *grid = window->findChild<QTableView *>(QStringLiteral("MSFlexGrid1"));

    for (const char *name : {"Command1", "Command3"}) {
        auto *button = window->findChild<QAbstractButton *>(QString::fromLatin1(name));
        std::vector<double> times;
        for (int i = 0; i < runs + 1; ++i) {
            grid->scrollToTop();
            QCoreApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            button->click();
            // Everything the event loop has to do after the click, then the
            // grid painted as it now stands.
            QCoreApplication::processEvents();
            grid->viewport()->repaint();
            if (i > 0) // the first run warms caches and fonts
                times.push_back(milliseconds(timer));
        }
        if (grid->model()->rowCount() != loan::kMaxPeriods + 1)
            return 1;
        std::printf("pressing %s until the grid of %d rows is painted: median %.1f ms, worst %.1f ms\n",
                    name == std::string_view("Command1") ? "等额本金" : "等额本息", loan::kMaxPeriods + 2,
                    median(times), *std::max_element(times.begin(), times.end()));
    }

    // Scrolling: one page down and painted, from the top to the end.
    QScrollBar *bar = grid->verticalScrollBar();
    bar->setValue(0);
    std::vector<double> steps;
    QElapsedTimer all;
    all.start();
    while (bar->value() < bar->maximum() && steps.size() < 2000) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(bar->value() + bar->pageStep() * 50);
        grid->viewport()->repaint();
        steps.push_back(milliseconds(timer));
    }
    std::printf("scrolling the grid (%zu jumps of 50 pages, each painted): median %.2f ms, worst %.2f ms\n",
                steps.size(), median(steps), *std::max_element(steps.begin(), steps.end()));
    std::fflush(stdout);
    std::_Exit(0);
}
