#include "engines/DivAlgo.h"

TDiv::TDiv(Bitmap &board, Bitmap &hint) : m_board(board), m_hint(hint) {}
