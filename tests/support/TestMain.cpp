// The entry point of every test program: an offscreen application object, then GoogleTest.
#include "platform/Application.h"
#include "platform/UserMessages.h"

#include <gtest/gtest.h>

namespace {

// Under every test's own script: a message, question or error that no test asked to see fails the
// test that caused it, instead of waiting on a box nobody answers.
class UnexpectedMessages : public TScriptedMessages {
public:
    void Tell(const QString& text, QWidget* from) override {
        TScriptedMessages::Tell(text, from);
        fail("message", text);
    }
    bool Ask(const QString& question, QWidget* from) override {
        fail("question", question);
        return TScriptedMessages::Ask(question, from);
    }
    void Error(const QString& text, QWidget* from) override {
        TScriptedMessages::Error(text, from);
        fail("error", text);
    }

private:
    static void fail(const char* kind, const QString& text) {
        if (::testing::UnitTest::GetInstance()->current_test_info())
            ADD_FAILURE() << "unexpected " << kind << ": " << text.toStdString();
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    Application app(argc, argv);
    UnexpectedMessages unexpected;
    return RUN_ALL_TESTS();
}
