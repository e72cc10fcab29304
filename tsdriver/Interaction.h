// How the driver asks the user: the one question of opening a workspace ("continue anyway?") goes through
// this interface. The application shows a message box; unattended runs and tests answer it themselves.
#pragma once

#include <string>

namespace tsdriver {

class Interaction {
 public:
  virtual ~Interaction() = default;
  // A Yes/No question with the question icon, the second button as default, topmost. True for Yes.
  virtual bool AskYesNo(const char* caption, const char* text) = 0;
  // A stop message with only OK (several charts open), topmost; returns when it is answered.
  virtual void ShowStop(const char* caption, const char* text) = 0;
};

// Shows the system's message box (the GUI's answerer).
class MessageBoxInteraction : public Interaction {
 public:
  bool AskYesNo(const char* caption, const char* text) override;
  void ShowStop(const char* caption, const char* text) override;
};

// Answers every question with a fixed answer and counts the questions (unattended runs, tests).
class FixedAnswerInteraction : public Interaction {
 public:
  explicit FixedAnswerInteraction(bool yes) : m_yes(yes) {}
  bool AskYesNo(const char*, const char*) override {
    ++m_asked;
    return m_yes;
  }
  void ShowStop(const char*, const char* text) override {
    ++m_stops;
    m_lastStop = text ? text : "";
  }
  int Asked() const { return m_asked; }
  int Stops() const { return m_stops; }
  const std::string& LastStop() const { return m_lastStop; }

 private:
  bool m_yes;
  int m_asked = 0;
  int m_stops = 0;
  std::string m_lastStop;
};

}  // namespace tsdriver
