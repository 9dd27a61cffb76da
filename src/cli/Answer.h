#pragma once
// How the questions of a run are answered.

enum class Answer {
    Ask,  // on the terminal when standard input is one, else "no"
    Yes,
    No,
};
