// How the driver asks the user: the one question of opening a workspace ("continue anyway?") goes through
// this interface. The application shows a message box; unattended runs and tests answer it themselves.
#pragma once

namespace tsdriver {

class Interaction {
 public:
  virtual ~Interaction() = default;
  // A Yes/No question with the question icon, the second button as default, topmost. True for Yes.
  virtual bool AskYesNo(const char* caption, const char* text) = 0;
};

// Shows the system's message box (the GUI's answerer).
class MessageBoxInteraction : public Interaction {
 public:
  bool AskYesNo(const char* caption, const char* text) override;
};

// Answers every question with a fixed answer and counts the questions (unattended runs, tests).
class FixedAnswerInteraction : public Interaction {
 public:
  explicit FixedAnswerInteraction(bool yes) : m_yes(yes) {}
  bool AskYesNo(const char*, const char*) override {
    ++m_asked;
    return m_yes;
  }
  int Asked() const { return m_asked; }

 private:
  bool m_yes;
  int m_asked = 0;
};

}  // namespace tsdriver
