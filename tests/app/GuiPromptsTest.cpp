// The desktop program's message boxes: a text of a thousand lines (the APs with too few points of a
// large survey) gives a box that fits a small screen, with the whole text under "Show Details"; a
// short text is shown as it is.
#include "gui/GuiPrompts.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include <string>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

struct SeenBox {
    bool seen = false;
    QString text, detailed;
    int height = 0;
    QMessageBox::StandardButtons buttons;
};

/// Answers the next message box with \p answer after noting what it shows.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    OnNextModal<QMessageBox>([&seen, answer](QMessageBox* box) {
        seen.seen = true;
        seen.text = box->text();
        seen.detailed = box->detailedText();
        seen.height = box->sizeHint().height();
        seen.buttons = box->standardButtons();
        box->button(answer)->click();
    });
}

std::string ManyLines(int count) {
    QString text = QStringLiteral("No enough points for these APs: \n\n N,\tMAC\n");
    for (int k = 0; k < count; ++k)
        text += QStringLiteral(" %1, 00-1A-2B-3C-%2\n").arg(k % 20 + 1).arg(k);
    return (text + QStringLiteral(" \n\n N: Number of Points")).toStdString();
}

} // namespace

TEST(GuiPrompts, LongTextsFitTheScreenWithEveryLineUnderDetails) {
    GuiPrompts prompts;
    const std::string longText = ManyLines(1000);
    const QString full = QString::fromStdString(longText);
    const auto lineCount = full.split('\n').size();

    SeenBox message;
    AnswerNextBox(message, QMessageBox::Ok);
    prompts.message(longText, "Invalid AP", PromptIcon::Information);
    ASSERT_TRUE(message.seen);
    EXPECT_LE(message.height, 700);
    EXPECT_EQ(message.detailed.toStdString(), longText);
    EXPECT_TRUE(message.text.startsWith("No enough points for these APs: \n\n N,\tMAC\n 1, 00-1A-2B-3C-0\n"));
    EXPECT_TRUE(message.text.endsWith(QString::fromUtf8("\n\u2026 and %1 more").arg(lineCount - 15)))
        << message.text.right(40).toStdString();
    EXPECT_EQ(message.text.split('\n').size(), 16);

    // The question: the same fitting, and its answer still counts.
    SeenBox question;
    AnswerNextBox(question, QMessageBox::Yes);
    EXPECT_TRUE(prompts.askYesNo(longText, "Plot Coverage"));
    ASSERT_TRUE(question.seen);
    EXPECT_LE(question.height, 700);
    EXPECT_EQ(question.detailed.toStdString(), longText);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);

    // Short texts, up to fifteen lines, are shown whole and have no details.
    const std::string shortText =
        "No enough points for this AP:\n\n N,\t MAC\n 20, 00-1A-2B-3C-4D-02\n\n N: Number of Points";
    SeenBox small;
    AnswerNextBox(small, QMessageBox::No);
    EXPECT_FALSE(prompts.askYesNo(shortText, "Invalid AP"));
    ASSERT_TRUE(small.seen);
    EXPECT_EQ(small.text, QString::fromStdString(shortText));
    EXPECT_TRUE(small.detailed.isEmpty());
    QString fifteen = "1";
    for (int k = 2; k <= 15; ++k)
        fifteen += "\n" + QString::number(k);
    SeenBox edge;
    AnswerNextBox(edge, QMessageBox::Ok);
    prompts.message(fifteen.toStdString(), "Edge", PromptIcon::Stop);
    EXPECT_EQ(edge.text, fifteen);
    EXPECT_TRUE(edge.detailed.isEmpty());
}
