// The three blocks of the licence agreement, joined in order in the licence dialog.
// Each ends where a paragraph ends; line breaks are CR LF.
#pragma once

#define LMVR_LICENCE_BLOCK_1 "LUMIVORA EVALUATION LICENCE\r\n\r\n"
#define LMVR_LICENCE_BLOCK_2 "(The full licence text is being written.)\r\n\r\n"
#define LMVR_LICENCE_BLOCK_3 "Lumivora is provided as is."
