// A scratch program folder and working folder for tests of definitions and their list files, and
// scripted answers for the prompts of the restart-point flows.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "execution/AbortMarks.h"
#include "foundation/AtomicFile.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

namespace definitiontest {

// Each line followed by CR LF, as the program writes its files.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// The lines of a CR LF file.
inline std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Runs a test in its own program folder ("<scratch>/program", with its settings file) and current folder
// ("<scratch>/work"), the way the program runs beside its definitions and list files.
class DefinitionFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = testsupport::ScratchFolder();
    program = root + "/program";
    work = root + "/work";
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(work);
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(work);
    SetLogFolder(root.c_str());
    Settings::OverrideAppFolder(program.c_str());
    workspace = testsupport::WriteFile(root + "/Chart.tsw", "workspace");
  }
  void TearDown() override {
    SetAtomicWriteInterruption(nullptr);
    Settings::OverrideAppFolder(nullptr);
    std::filesystem::current_path(previousFolder);
  }

  // A definition file in the program folder with the given body lines after Workspace= and Symbols=.
  std::string Definition(const std::string& name, const std::string& symbols,
                         const std::vector<std::string>& body,
                         const std::string& endDate = "EndDate=10/12/2012") {
    std::vector<std::string> lines = {"Workspace=" + workspace, "Symbols=" + symbols};
    if (!endDate.empty()) lines.push_back(endDate);
    lines.push_back("");
    lines.insert(lines.end(), body.begin(), body.end());
    return testsupport::WriteFile(program + "/" + name + ".tvd", CrLf(lines));
  }
  std::string InWork(const std::string& name, const std::vector<std::string>& lines) {
    return testsupport::WriteFile(work + "/" + name, CrLf(lines));
  }
  std::string SettingsText() const { return testsupport::ReadFile(program + "/Tavrin.ini"); }

  std::string root, program, work, workspace;
  std::filesystem::path previousFolder;
};

// Answers the prompts from a script, in order, and records every question and box.
class ScriptedPrompts : public StepPrompts {
 public:
  std::deque<Answer> answers;     // for AskYesNoCancel and AskYesNo
  std::deque<std::string> texts;  // for AskText; an exhausted script cancels the prompt
  std::vector<std::string> questions, errors, infos;

  Answer AskYesNoCancel(const char* question) override { return Next(question, Answer::Cancel); }
  Answer AskYesNo(const char* question) override { return Next(question, Answer::No); }
  bool AskText(const char* title, const char* text, const char* field, CTxt& answer) override {
    questions.push_back(std::string(title) + "|" + text + "|" + field);
    if (texts.empty()) return false;
    answer = texts.front().c_str();
    texts.pop_front();
    return true;
  }
  void ShowError(const char* text) override { errors.push_back(text); }
  void ShowInfo(const char* text) override { infos.push_back(text); }

 private:
  Answer Next(const char* question, Answer whenExhausted) {
    questions.push_back(question);
    if (answers.empty()) return whenExhausted;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace definitiontest
