#pragma once
// A message, a progress bar and a Cancel button; the bar advances as the
// user produces varied input (distinct keys, pointer travel), at most one
// counted input per 101 ms. Enter does nothing; Escape and the button
// cancel with 0.

#include "widgets/TButton.h"
#include "widgets/TDialog.h"
#include "widgets/TIcon.h"
#include "widgets/TProgressIndicator.h"
#include "widgets/TStatic.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

class TProgressDialog : public TDialog {
public:
    using Clock = std::chrono::steady_clock;

    // Input kinds of the rule.
    enum InputKind : int {
        inputHalfMove = 6,     // counts once the travel exceeds half the diagonal
        inputQuarterMove = 7,  // counts once the travel exceeds a quarter of the diagonal
        inputKey = 11,         // a key not among the last ten counted
    };

    TProgressDialog();
    ~TProgressDialog() override;

    int run(TWidget* parentWidget = nullptr);
    // Sets the bar's step to the input counter, then counts one more input.
    void step();
    void clearResult() { result = 0; }
    // Whether an input of that kind counts at that time (a, b: the key, or
    // the pointer position); a counted input marks the time.
    bool acceptInput(int a, int b, int kind, Clock::time_point now);

    void initDialog() override;
    static bool onKey(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onInput7(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onInput6(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onCancel(TWidget* receiver, TWidget* target, TWindowEvent* event);
    static bool onDialogCommand(TWidget* receiver, TWidget* target, TWindowEvent* event);

    std::unique_ptr<TIcon> icon;
    std::unique_ptr<TButton> cancelButton;
    std::unique_ptr<TStatic> messageStatic;
    std::unique_ptr<TProgressIndicator> bar;
    int width = 400;
    int height = 300;
    std::wstring title = L"Dialog";
    std::wstring messageText;
    std::wstring buttonText = L"Cancel";
    // Only the low 16 bits reach the bar.
    std::int32_t rangeMinimum = 0;
    std::int32_t rangeMaximum = 100;
    std::int32_t inputCounter = 1;
    Clock::time_point lastCounted{};
    // The last accepted keys, oldest first, at most ten.
    std::deque<std::int32_t> lastKeys;
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
    // Pointer travel since the last counted movement.
    std::int32_t travelled = 0;
    int result = 0;

private:
    bool acceptKey(int key);
    bool acceptMove(int x, int y, int factor);
    bool acceptMoveQuarter(int x, int y) { return acceptMove(x, y, 4); }
    bool acceptMoveHalf(int x, int y) { return acceptMove(x, y, 2); }
    static bool onInput(TWidget* receiver, TWidget* target, TWindowEvent* event, int kind);
};
