// The message body viewer and the scenario information window, offscreen: the panes'
// rows and colours, their widths, the byte under the caret, and an event shown element
// by element or explained.

#include <QAbstractItemView>
#include <QComboBox>
#include <QScrollBar>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>
#include <QtTest>

#include "dcp/UDCPList.h"
#include "dcp/UDCPReport.h"
#include "forms/ScnInfoDlg.h"
#include "forms/ViewBodyDlg.h"
#include "k7/HostDataLoader.h"
#include "k7/UEvenement.h"
#include "k7/UK7File.h"
#include "tests/forms/DialogTestSupport.h"

using namespace skylog;
using namespace skylog::forms;
using skylog::test::child;

namespace {

QString line(QTextEdit* memo, int row) { return memo->document()->findBlockByNumber(row).text(); }

QColor colourAt(QTextEdit* memo, int position) {
    QTextCursor cursor(memo->document());
    cursor.setPosition(position + 1);  // the format of the character before the cursor
    return cursor.charFormat().foreground().color();
}

// A status report of the sample dictionary ("b": Status erreur de butée), 18 bytes.
std::string statusReport(uint8_t length = 18) {
    std::string bytes = {'\x80', static_cast<char>(length), '\x00', '\x62', '\x05', '\x03', '\x07', '\x12', '\x30', '\x00',
                         '\x00', '\x10', '\x00', '\x20', '\xAB', '\xCD', '\xFE', '\x12'};
    return bytes;
}

}  // namespace

class ViewersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        host_ = LoadHostData(SKYLOG_SOURCE_DIR "/sample/host");
        hostData_ = HostDataOf(*host_);
    }

    // 20 bytes: the second row of each pane holds 4 characters and 12 hex digits and
    // spaces; a class 1 byte green in both; "-" until the caret moves, then the byte at
    // row 1 column 3 is byte 17. (Where each byte stands is the model's.)
    void bodyViewerShowsRowsColoursAndTheByteUnderTheCaret() {
        TDCPDataBloc block(nullptr);
        block.AddBody("ABCDEFGHIJKLMNOPQRST");
        block.ByteStatus.assign(20, kByteNotExamined);
        block.ByteStatus.Set(0, kByteValid);
        block.ByteStatus.Set(17, kByteValid);
        TViewBodyFrm viewer;
        viewer.ShowBody(block);
        viewer.show();
        auto* text = child<QTextEdit>(viewer, "BodyMemo");
        auto* hex = child<QTextEdit>(viewer, "HexBodyMemo");
        QCOMPARE(line(text, 1), QStringLiteral("QRST"));
        QCOMPARE(line(hex, 1), QStringLiteral("51 52 53 54 "));
        const QColor green(0, 128, 0), gray(128, 128, 128);
        for (const auto& [position, hexPosition, colour] :
             {std::tuple{0, 0, green}, std::tuple{1, 3, gray}, std::tuple{18, 52, green}, std::tuple{19, 55, gray}}) {
            QCOMPARE(colourAt(text, position), colour);
            for (int k = 0; k < 3; ++k) QCOMPARE(colourAt(hex, hexPosition + k), colour);
        }
        QCOMPARE(child<QLabel>(viewer, "SimpleByteLbl")->text(), QStringLiteral("-"));

        QTextCursor caret(hex->document()->findBlockByNumber(1));
        caret.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
        hex->setTextCursor(caret);
        QCOMPARE(viewer.SelectedByte(), 17);
        QCOMPARE(child<QLabel>(viewer, "SimpleByteLbl")->text(), QStringLiteral("82 (0x52)"));
        caret.movePosition(QTextCursor::EndOfBlock);  // past the last byte
        hex->setTextCursor(caret);
        QCOMPARE(child<QLabel>(viewer, "SimpleByteLbl")->text(), QStringLiteral("-"));

        // The form resized so that the panel is 412 pixels wide.
        auto* panel = child<QWidget>(viewer, "BodyViewPanel");
        viewer.resize(viewer.width() + 412 - panel->width(), viewer.height());
        QCOMPARE(panel->width(), 412);
        QCOMPARE(text->width(), 100);
        QCOMPARE(hex->width(), 300);
        QVERIFY(text->geometry().right() < hex->geometry().left());
    }

    // A scenario chosen in the list: its characters get a background in both panes,
    // the class colours stay, the panes scroll to it, and the status says where it is.
    void bodyViewerHighlightsTheScenarioChosen() {
        TDCPDataBloc block(nullptr);
        block.AddBody(std::string(2000, 'A'));
        block.ByteStatus.assign(2000, kByteValid);
        TViewBodyFrm viewer;
        viewer.show();
        viewer.ShowBody(block);
        viewer.SetScenarios({{"premier", {{{17, 12}}, false}}, {"second", {{{1900, 30}, {1990, 40}}, true}}});
        auto* text = child<QTextEdit>(viewer, "BodyMemo");
        auto* hex = child<QTextEdit>(viewer, "HexBodyMemo");
        const struct {
            int chosen;
            std::vector<std::pair<size_t, size_t>> bytes;  // first and last highlighted, within the body
            const char* status;
        } cases[] = {
            {1, {{1900, 1929}, {1990, 1999}},
             "Caractères 1900 à 1929, 1990 à 1999 ; la suite est dans le message suivant."},
            {0, {{17, 28}}, "Caractères 17 à 28"},
            {-1, {}, nullptr},
        };
        for (const auto& c : cases) {
            viewer.ChooseScenario(c.chosen);
            QCOMPARE(child<QComboBox>(viewer, "ScenarioCmbBx")->currentIndex(), c.chosen + 1);
            // In the hex pane, from the first digit to the last byte's second digit.
            for (const auto& [memo, offset, width] : {std::tuple{text, &TextPaneOffset, size_t{1}},
                                                      std::tuple{hex, &HexPaneOffset, size_t{2}}}) {
                std::vector<std::pair<int, int>> shown, expected;
                for (const QTextEdit::ExtraSelection& selection : memo->extraSelections())
                    shown.emplace_back(selection.cursor.selectionStart(), selection.cursor.selectionEnd());
                for (const auto& [first, last] : c.bytes)
                    expected.emplace_back(static_cast<int>(offset(first)), static_cast<int>(offset(last) + width));
                QCOMPARE(shown, expected);
                QCOMPARE(colourAt(memo, expected.empty() ? 0 : expected[0].first), QColor(0, 128, 0));
            }
            QCOMPARE(child<QLabel>(viewer, "HighlightLbl")->isVisible(), c.status != nullptr);
            if (c.status) QCOMPARE(child<QLabel>(viewer, "HighlightLbl")->text(), QString::fromUtf8(c.status));
            if (c.chosen == 1) QVERIFY(hex->verticalScrollBar()->value() > 0);
        }
    }

    void scenarioWindowListsElementsOrExplains() {
        TK7File file(&hostData_);
        const struct {
            std::string bytes;
            bool debug;
            const char* explanation;  // null: listed
            const char* caption;
        } cases[] = {
            {statusReport(), true, nullptr, "Status erreur de butée"},
            {statusReport(), false, nullptr, "Status erreur de butée"},
            {statusReport(0x20), false, kScnWrongSize, "Evènement taille incorrecte."},
            {"\xFF\x03\x03", false, kScnUnknown, "Evènement vide (0xFF)."},
        };
        for (const auto& c : cases) {
            TEvenement event(&file);
            event.SetEvt(FramedEventText(c.bytes));
            TScnInfoFrm window(c.debug);
            window.show();
            window.SetEvt(&event);
            QVERIFY2(window.windowTitle().endsWith(QString::fromUtf8(c.caption)), qPrintable(window.windowTitle()));
            auto* list = child<QTreeView>(window, "MesListView");
            QCOMPARE(child<QWidget>(window, "ErrorPanel")->isVisible(), c.explanation != nullptr);
            QCOMPARE(list->isVisible(), c.explanation == nullptr);
            QCOMPARE(child<QWidget>(window, "DebugPanel")->isVisible(), c.debug);
            if (c.explanation) {
                QCOMPARE(child<QLabel>(window, "ProblemInfoLbl")->text(), QString::fromUtf8(c.explanation));
                QVERIFY(child<QLabel>(window, "StopImage")->isVisible());
                continue;
            }
            const QAbstractItemModel& lines = *list->model();
            QCOMPARE(lines.rowCount(), static_cast<int>(event.Elements.size()) + (c.debug ? 1 : 0));
            const int first = c.debug ? 1 : 0;
            if (c.debug) {
                QCOMPARE(lines.index(0, 0).data().toString(), QStringLiteral("Scn: 104"));
                QVERIFY(lines.index(0, 0).data(Qt::DecorationRole).isNull());
                QCOMPARE(child<QPlainTextEdit>(window, "HexaMemo")->toPlainText(), QString::fromStdString(event.Evt()));
            }
            QCOMPARE(lines.index(first, 0).data().toString(), QStringLiteral("Date: 07/03/2005"));
            QVERIFY(!lines.index(first, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
            // The one column follows the list's width.
            for (const int width : {205, 320}) {
                window.resize(width, 280);
                QCOMPARE(list->header()->sectionSize(0), list->viewport()->width() - 1);
            }
        }
    }

private:
    std::unique_ptr<HostDataSet> host_;
    THostData hostData_;
};

QTEST_MAIN(ViewersTest)
#include "viewers_test.moc"
