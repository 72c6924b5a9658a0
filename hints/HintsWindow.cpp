#include "HintsWindow.h"

#include "BevelPanel.h"
#include "BuiltInGuide.h"
#include "ColorValue.h"
#include "RtfReader.h"
#include "UserDialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

using kolvar::hints::BevelPanel;

namespace {

const QString HintsFileName = QStringLiteral("Ruvarez.rtf");
constexpr QSize ClientSize { 795, 415 };
constexpr int BevelWidth = 2;

QFont textFont()
{
    // The face the window was designed with; where it is missing, a plain sans face of the same
    // pixel size keeps the guide's lines as long as they were written.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

HintsWindow::HintsWindow(const QString& settingsFolder, QWidget* parent)
    : HintsWindow(QCoreApplication::applicationDirPath(), settingsFolder, parent)
{ }

HintsWindow::HintsWindow(
    const QString& executableFolder, const QString& settingsFolder, QWidget* parent)
    : QDialog(parent)
    , m_executableFolder(executableFolder)
    , m_settingsFolder(settingsFolder)
{
    setObjectName(QStringLiteral("hintsWindow"));
    setWindowTitle(QStringLiteral("Plik pomocy"));
    setToolTip(QStringLiteral("Klawisz <ESC> zamyka to okno"));
    // Closing the hints must never end the program, even when no other window is visible.
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kolvar::toQColor(kolvar::colors::BtnShadow));
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_textPanel = new BevelPanel(QStringLiteral("textPanel"), BevelWidth, this);
    m_textView = new QTextEdit(m_textPanel);
    m_textView->setObjectName(QStringLiteral("textView"));
    m_textView->setReadOnly(true);
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textView->setLineWrapMode(QTextEdit::WidgetWidth);
    m_textView->setFont(textFont());
    m_textView->setPlainText(kolvar::hints::builtInGuide());
    m_textView->installEventFilter(this);
    m_textPanel->setClient(m_textView);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textPanel);
    resize(ClientSize);
}

HintsWindow::~HintsWindow() = default;

QString HintsWindow::hintsFilePath() const
{
    // An installed program keeps its hints beside itself even when the settings have moved to
    // the user's folder; a user who has no say over the program's folder may keep their own.
    const QString besideProgram = QDir(m_executableFolder).filePath(HintsFileName);
    const QString withSettings = QDir(m_settingsFolder).filePath(HintsFileName);
    return QFileInfo(besideProgram).isFile() ? besideProgram : withSettings;
}

void HintsWindow::loadHints()
{
    m_textView->setAcceptRichText(true);
    m_textView->setLineWrapMode(QTextEdit::WidgetWidth);
    m_textView->setReadOnly(true);
    // Read-only still lets the reader move through the text and select with the keys.
    m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // Indents in points, for the paragraph under the selection; loading a file replaces them
    // along with the text. No right indent: one taken from the window's width squeezed the
    // paragraph the reader had clicked into down to a word per line.
    const double pixelsPerPoint = m_textView->logicalDpiX() / 72.0;
    QTextBlockFormat indents;
    indents.setTextIndent(-15 * pixelsPerPoint);
    indents.setLeftMargin((25 + 15) * pixelsPerPoint);
    QTextCursor selection = m_textView->textCursor();
    selection.mergeBlockFormat(indents);

    const QString path = hintsFilePath();
    if (!QFileInfo(path).isFile())
        return;
    m_textView->clear();
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        kolvar::userDialogs().message(this,
            QStringLiteral("Nie mogę odczytać pliku pomocy %1").arg(QDir::toNativeSeparators(path)),
            kolvar::MessageIcon::Error);
        return;
    }
    // Built apart from the view, the document is laid out once when it is shown instead of after
    // every run of text, which made a long file take minutes.
    auto* document = new QTextDocument(m_textView);
    // Nobody edits the hints: a step to undo for every run of text is time and memory spent for
    // nothing.
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(m_textView->font());
    kolvar::hints::readRichOrPlainText(bytes, *document);
    // The control deletes the document it made itself; one read earlier is ours to delete.
    const QPointer<QTextDocument> previous = m_textView->document();
    m_textView->setDocument(document);
    if (previous && previous->parent() == m_textView)
        delete previous;
    m_textView->moveCursor(QTextCursor::Start);
    m_textView->verticalScrollBar()->setValue(0);
}

void HintsWindow::followWidth()
{
    // The window's own width: the text's follows it, but is laid out a moment later.
    if (width() == m_shownWidth)
        return;
    m_shownWidth = width();
    loadHints();
}

bool HintsWindow::handleKey(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    close();
    return true;
}

void HintsWindow::finishClosing()
{
    done(QDialog::Accepted);
}

void HintsWindow::reject()
{
    close();
}

bool HintsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees the keys before the text does, as its own key handler would with key
    // preview.
    if (watched == m_textView && event->type() == QEvent::KeyPress
        && handleKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void HintsWindow::keyPressEvent(QKeyEvent* event)
{
    if (handleKey(event->key()))
        return;
    QDialog::keyPressEvent(event);
}

void HintsWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    followWidth();
}

void HintsWindow::closeEvent(QCloseEvent* event)
{
    finishClosing();
    event->accept();
}
