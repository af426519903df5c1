#include "engines/DecAlgo.h"

TDec::TDec(Bitmap &board, Bitmap &hint) : m_board(board), m_hint(hint) {}
