#pragma once

class QWidget;

// Puts a dialog's content in the middle of its screen. Called on every show: Qt's own
// placement guesses the window frame before the first show and lands off centre.
void CentreOnScreen(QWidget &dialog);
