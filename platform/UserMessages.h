#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

class QWidget;

// How the windows speak to the user: a report with one button, a yes/no question, an error. Every
// window, error handler and control speaks through one of the program's two channels below; a test
// puts a script in their place (TScriptedMessages).
class TUserMessages {
public:
    virtual ~TUserMessages() = default;
    // A report; returns once the user has seen it.
    virtual void Tell(const QString& text, QWidget* from) = 0;
    // True for Yes; No, or the question closed any other way, is false.
    virtual bool Ask(const QString& question, QWidget* from) = 0;
    // An error's text in an error box.
    virtual void Error(const QString& text, QWidget* from) = 0;
};

// Plain message boxes captioned with the application's title, over `from`'s window: a report with
// an OK button, a question with Yes and No, an error with the error sign. Each runs a nested event
// loop while it is open.
class TMessageBoxes : public TUserMessages {
public:
    void Tell(const QString& text, QWidget* from) override;
    bool Ask(const QString& question, QWidget* from) override;
    void Error(const QString& text, QWidget* from) override;
};

// Where a program's windows send what they tell and ask through its question and message window:
// the channel the program set (the skinned confirm window), plain boxes until then.
TUserMessages& DialogMessages();
void SetDialogMessages(TUserMessages* channel); // nullptr: plain boxes again

// Where the plain message boxes go: the windows whose messages are plain boxes, and every error.
// A program may put a channel of its own in their place, drawn in its skin (nullptr: plain boxes).
TUserMessages& BoxMessages();
void SetBoxMessages(TUserMessages* channel);

// While it lives, `channel` takes the place of both channels (and gives them back when it goes):
// how a test hears what the windows it drives say. The latest one made is the one in use.
class TMessagesInUse {
public:
    explicit TMessagesInUse(TUserMessages& channel);
    ~TMessagesInUse();
    TMessagesInUse(const TMessagesInUse&) = delete;
    TMessagesInUse& operator=(const TMessagesInUse&) = delete;

private:
    TUserMessages* m_previous;
};

// The one way an error reaches the user: BoxMessages().Error. Every escaped exception (RunGuarded,
// Application::notify) and every error a window reports itself comes here. An error whose box is
// still open is not shown again: a fault that repeats while its box waits (a timer, queued events
// behind the box's own loop) gives one box.
void ReportError(const QString& text, QWidget* from = nullptr);

// Answers from a script instead of a user, and keeps everything said, in order. While it lives it
// is the channel in use (TMessagesInUse), so a test or a benchmark sees every message, question and
// error of the windows it drives and never waits on a box.
class TScriptedMessages : public TUserMessages {
public:
    enum class Kind { Tell, Ask, Error };
    struct Said {
        Kind kind;
        QString text;
    };

    TScriptedMessages();
    ~TScriptedMessages() override;
    TScriptedMessages(const TScriptedMessages&) = delete;
    TScriptedMessages& operator=(const TScriptedMessages&) = delete;

    void Tell(const QString& text, QWidget* from) override;
    bool Ask(const QString& question, QWidget* from) override;
    void Error(const QString& text, QWidget* from) override;

    // The answers to the next questions, in order (true: Yes); once they are used up every question
    // is answered `Otherwise`.
    std::deque<bool> Answers;
    bool Otherwise = false;

    QList<Said> Log;
    // The texts of one kind, in order.
    QStringList Texts(Kind kind) const;
    QStringList Told() const { return Texts(Kind::Tell); }
    QStringList Asked() const { return Texts(Kind::Ask); }
    QStringList Errors() const { return Texts(Kind::Error); }
    // Every text, whatever its kind, in order; the last one (empty when nothing was said).
    QStringList All() const;
    QString Last() const;
    void Clear() { Log.clear(); }

private:
    TMessagesInUse m_inUse{*this};
};
