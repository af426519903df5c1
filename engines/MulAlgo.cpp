#include "engines/MulAlgo.h"

TMul::TMul(Bitmap &board, Bitmap &hint) : m_board(board), m_hint(hint) {}
