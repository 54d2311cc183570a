// SPDX-License-Identifier: MIT
#ifndef PROCBOX_TOKENIZE_H
#define PROCBOX_TOKENIZE_H

// Splits the zero-terminated text in place into at most limit tokens: plain
// words, "quoted strings" and [bracketed arrays], the last two without their
// delimiters. Slot k gets the start of token k; each token is ended by a zero
// byte written over the byte that ended it. Returns the count; slots at and
// beyond it are not touched. Moves nothing and allocates nothing.
int tokenize(char *text, int limit, char **slots);

#endif
