#pragma once

#include <functional>
#include <string_view>

namespace vex::fw {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

enum class MessageBoxStyle { OkWarning, YesNoQuestion };

// Shows a message box with the application name as caption and returns IDOK, IDYES or IDNO.
int AfxMessageBox(std::string_view text, MessageBoxStyle style);

// Answers yes to a question left open on screen, for a stop that is confirmed already; false
// when no question is open.
bool AnswerOpenQuestion();

// Replaces how message boxes are answered (tests answer them here); an empty handler restores
// the back-end's own.
using MessageBoxHandler =
    std::function<int(std::string_view text, std::string_view caption, MessageBoxStyle style)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace vex::fw
