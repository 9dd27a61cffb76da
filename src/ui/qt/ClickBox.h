#pragma once
// Shows a "Click!" text: a standard message box with the application's name
// as caption, one OK button and no owner window.

#include <string>

class ClickGenerator;

class ClickBox {
public:
    static void Show(const std::string& text);
    // Draws the next index from the generator and shows that random text.
    static void ShowNext(ClickGenerator& generator);
};
