// The question put to an operator who leaves while an operation runs. "Нет"
// is the default: Enter, Escape and the close box keep the program and the
// operation going. The question withdraws itself, as answered "Нет", when the
// operation ends while it is shown.
#pragma once

// Shows the question modal and pumps events until it is answered or
// `stillRunning` turns false; returns 1 only for "Да". GUI thread only.
int AskToStopOperation(bool (*stillRunning)());
