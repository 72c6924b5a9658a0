#include "help.h"

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

TFhelp::TFhelp(const QString& settingsFolder, QWidget* parent)
    : TFhelp(QCoreApplication::applicationDirPath(), settingsFolder, parent)
{ }

TFhelp::TFhelp(const QString& executableFolder, const QString& settingsFolder, QWidget* parent)
    : QDialog(parent)
    , m_executableFolder(executableFolder)
    , m_settingsFolder(settingsFolder)
{
    setObjectName(QStringLiteral("Fhelp"));
    setWindowTitle(QStringLiteral("Plik pomocy"));
    setToolTip(QStringLiteral("Klawisz <ESC> zamyka to okno"));
    // Closing the hints must never end the program, even when no other window is visible.
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kolvar::toQColor(kolvar::colors::BtnShadow));
    setPalette(windowPalette);
    setAutoFillBackground(true);

    m_Panel1 = new BevelPanel(QStringLiteral("Panel1"), BevelWidth, this);
    m_RichEdit1 = new QTextEdit(m_Panel1);
    m_RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    m_RichEdit1->setReadOnly(true);
    m_RichEdit1->setFrameShape(QFrame::NoFrame);
    m_RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    m_RichEdit1->setFont(textFont());
    m_RichEdit1->setPlainText(kolvar::hints::builtInGuide());
    m_RichEdit1->installEventFilter(this);
    m_Panel1->setClient(m_RichEdit1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Panel1);
    resize(ClientSize);
}

TFhelp::~TFhelp() = default;

QString TFhelp::hintsFilePath() const
{
    // An installed program keeps its hints beside itself even when the settings have moved to
    // the user's folder; a user who has no say over the program's folder may keep their own.
    const QString besideProgram = QDir(m_executableFolder).filePath(HintsFileName);
    const QString withSettings = QDir(m_settingsFolder).filePath(HintsFileName);
    return QFileInfo(besideProgram).isFile() ? besideProgram : withSettings;
}

void TFhelp::FormShow()
{
    m_RichEdit1->setAcceptRichText(true);
    m_RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    m_RichEdit1->setReadOnly(true);
    // Read-only still lets the reader move through the text and select with the keys.
    m_RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // Indents in points, for the paragraph under the selection; loading a file replaces them
    // along with the text. No right indent: one taken from the window's width squeezed the
    // paragraph the reader had clicked into down to a word per line.
    const double pixelsPerPoint = m_RichEdit1->logicalDpiX() / 72.0;
    QTextBlockFormat indents;
    indents.setTextIndent(-15 * pixelsPerPoint);
    indents.setLeftMargin((25 + 15) * pixelsPerPoint);
    QTextCursor selection = m_RichEdit1->textCursor();
    selection.mergeBlockFormat(indents);

    const QString path = hintsFilePath();
    if (!QFileInfo(path).isFile())
        return;
    m_RichEdit1->clear();
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
    auto* document = new QTextDocument(m_RichEdit1);
    // Nobody edits the hints: a step to undo for every run of text is time and memory spent for
    // nothing.
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(m_RichEdit1->font());
    kolvar::hints::readRichOrPlainText(bytes, *document);
    // The control deletes the document it made itself; one read earlier is ours to delete.
    const QPointer<QTextDocument> previous = m_RichEdit1->document();
    m_RichEdit1->setDocument(document);
    if (previous && previous->parent() == m_RichEdit1)
        delete previous;
    m_RichEdit1->moveCursor(QTextCursor::Start);
    m_RichEdit1->verticalScrollBar()->setValue(0);
}

void TFhelp::FormResize()
{
    // The window's own width: the text's follows it, but is laid out a moment later.
    if (width() == m_shownWidth)
        return;
    m_shownWidth = width();
    FormShow();
}

bool TFhelp::FormKeyDown(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    close();
    return true;
}

void TFhelp::FormClose()
{
    done(QDialog::Accepted);
}

void TFhelp::reject()
{
    close();
}

bool TFhelp::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees the keys before the text does, as its own key handler would with key
    // preview.
    if (watched == m_RichEdit1 && event->type() == QEvent::KeyPress
        && FormKeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFhelp::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event->key()))
        return;
    QDialog::keyPressEvent(event);
}

void TFhelp::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFhelp::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}
