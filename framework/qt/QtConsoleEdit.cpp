#include "framework/qt/QtConsoleEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "framework/Application.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "framework/qt/DisplayLoss.h"

namespace vex::fw {
namespace {

// Each line break is one block separator in the document but "\r\n" to the console's users. The
// carriage returns just before a "\r\n" (a printed text that ended in "\r\n" has one more) show
// nothing, as in a Windows edit control and on the terminal, but stay characters of the text:
// the document holds each as an invisible zero-width space. A lone carriage return or line feed
// is no break: Qt would make it one, so the document shows it as its control picture, as the
// console front-end shows it escaped.
constexpr QChar kReturnBeforeBreak(0x200B);
constexpr QChar kLoneReturn(0x240D);
constexpr QChar kLoneLineFeed(0x240A);

QString ToDocumentText(std::string_view text) {
  const QString converted = ToQt(text);
  QString document;
  document.reserve(converted.size());
  for (qsizetype at = 0; at < converted.size(); ++at) {
    const QChar c = converted[at];
    if (c == QChar('\r')) {
      qsizetype end = at;
      while (end < converted.size() && converted[end] == QChar('\r')) {
        ++end;
      }
      if (end < converted.size() && converted[end] == QChar('\n')) {
        document += QString(end - at - 1, kReturnBeforeBreak);
        document += QChar('\n');
        at = end;
      } else {
        document += kLoneReturn;
      }
    } else if (c == QChar('\n')) {
      document += kLoneLineFeed;
    } else {
      document += c;
    }
  }
  return document;
}

// Once the display is gone nobody sees the console box; its lines join the program's last
// reports on standard error.
void WriteLog(const std::string& text) {
  if (DisplayLost()) {
    std::fwrite(text.data(), 1, text.size(), stderr);
  } else {
    TerminalWrite(text);
  }
}

// An operator's own command (dimmed on the terminal) stands apart by its colour, which comes from
// how the line was printed and never from its text: a player named "<< Server >>" or
// "RCON 127.0.0.1:43320" cannot take it on.
QTextCharFormat TextFormat(TerminalStyle style) {
  QTextCharFormat format;
  if (style == TerminalStyle::Dim) {
    format.setForeground(QtConsoleEdit::kOperatorColour);
  }
  return format;
}

// Forces the lazy plain-text layout of a block so that its displayed lines are known. A block
// whose layout has lines is laid out for the current width: a change of width clears them all.
const QTextLayout* LaidOut(const QPlainTextEdit& edit, const QTextBlock& block) {
  if (block.layout()->lineCount() == 0) {
    edit.document()->documentLayout()->blockBoundingRect(block);
  }
  return block.layout();
}

// A scroll area decides whether to show its bars in a call it queues each time a bar's range
// changes, which each appended line does; lines printed while no events run would each keep a
// queued call, 100 to 200 bytes, until the event loop runs. One pending decision is enough. Where
// Qt's own connection is not found, it stays as it is.
void CoalesceScrollBarDecisions(QAbstractScrollArea& area) {
  auto* pending = new QTimer(&area);
  pending->setSingleShot(true);
  pending->setInterval(0);
  QObject::connect(pending, &QTimer::timeout, &area, [&area] {
    QMetaObject::invokeMethod(&area, "_q_showOrHideScrollBars", Qt::DirectConnection);
  });
  for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()}) {
    if (QObject::disconnect(bar, SIGNAL(rangeChanged(int, int)), &area,
                            SLOT(_q_showOrHideScrollBars()))) {
      QObject::connect(bar, &QScrollBar::rangeChanged, pending, [pending] {
        if (!pending->isActive()) {
          pending->start();
        }
      });
    }
  }
}

}  // namespace

QtConsoleEdit::QtConsoleEdit(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new QPlainTextEdit(parent)) {
  widget_->setReadOnly(layout.Has(res::kReadOnly));
  widget_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  widget_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  widget_->setVerticalScrollBarPolicy(layout.Has(res::kVerticalScroll) ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAsNeeded);
  widget_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  widget_->setUndoRedoEnabled(false);
  CoalesceScrollBarDecisions(*widget_);
}

int QtConsoleEdit::Length() const {
  const QTextDocument* document = widget_->document();
  return document->characterCount() - 1 + document->blockCount() - 1;
}

int QtConsoleEdit::ToDocument(int offset) const {
  const QTextDocument* document = widget_->document();
  // Each printed line is appended here; the walk below would cost a step a line of the console.
  if (offset >= Length()) {
    return document->characterCount() - 1;
  }
  // Walk the blocks: an offset inside a "\r\n" pair lands on the break.
  int consumed = 0;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    const int length = block.length() - 1;
    if (offset <= consumed + length || !block.next().isValid()) {
      return block.position() + std::clamp(offset - consumed, 0, length);
    }
    consumed += length + 2;
  }
  return 0;
}

int QtConsoleEdit::FromDocument(int position) const {
  const QTextBlock block = widget_->document()->findBlock(position);
  return position + block.blockNumber();
}

std::string QtConsoleEdit::GetWindowText() const {
  QString text = widget_->toPlainText();
  text.replace(QChar('\n'), QStringLiteral("\r\n"));
  text.replace(kReturnBeforeBreak, QChar('\r'));
  text.replace(kLoneReturn, QChar('\r'));
  text.replace(kLoneLineFeed, QChar('\n'));
  return FromQt(text);
}

void QtConsoleEdit::SetWindowText(std::string_view text) {
  widget_->setPlainText(ToDocumentText(text));
  selection_.CollapseTo(0);
}

int QtConsoleEdit::GetLineCount() const {
  int lines = 0;
  for (QTextBlock block = widget_->document()->begin(); block.isValid(); block = block.next()) {
    lines += std::max(1, LaidOut(*widget_, block)->lineCount());
  }
  return lines;
}

int QtConsoleEdit::LineIndex(int line) const {
  if (line == -1) {
    const QTextBlock block = widget_->document()->findBlock(ToDocument(selection_.End));
    const int inBlock = ToDocument(selection_.End) - block.position();
    int before = 0;
    for (QTextBlock b = widget_->document()->begin(); b != block; b = b.next()) {
      before += std::max(1, LaidOut(*widget_, b)->lineCount());
    }
    const QTextLayout* layout = LaidOut(*widget_, block);
    const int within =
        layout->lineCount() > 0 ? layout->lineForTextPosition(inBlock).lineNumber() : 0;
    line = before + std::max(within, 0);
  }
  if (line < 0) {
    return -1;
  }
  for (QTextBlock block = widget_->document()->begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = LaidOut(*widget_, block);
    const int count = std::max(1, layout->lineCount());
    if (line < count) {
      const int start = layout->lineCount() > 0 ? layout->lineAt(line).textStart() : 0;
      return FromDocument(block.position()) + start;
    }
    line -= count;
  }
  return -1;
}

void QtConsoleEdit::SetSel(int start, int end) {
  selection_.Set(start, end, Length());
}

void QtConsoleEdit::ReplaceSel(std::string_view text) {
  const bool echo = selection_.AppendsAtEnd(Length(), text);
  QTextCursor cursor(widget_->document());
  cursor.setPosition(ToDocument(selection_.Start));
  cursor.setPosition(ToDocument(selection_.End), QTextCursor::KeepAnchor);
  cursor.insertText(ToDocumentText(text), TextFormat(CurrentTerminalStyle()));
  widget_->setTextCursor(cursor);
  selection_.CollapseTo(FromDocument(cursor.position()));
  if (echo) {
    WriteLog(ConsoleTextForTerminal(text));
  }
}

}  // namespace vex::fw
