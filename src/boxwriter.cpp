// SPDX-License-Identifier: MIT
#include "boxwriter.h"

#include <cstdarg>
#include <cstring>

namespace {

constexpr std::size_t literalroom = sizeof boxtext::literals - boxblock;

void addtext(boxtext *box, const char *text, std::size_t length)
{
    // The longest possible layout (two 99-byte names, nine colour and
    // opacity numbers, the fixed literals) is well under the buffer; the
    // guard only keeps a mistake from writing past it.
    if (length > literalroom - static_cast<std::size_t>(box->used))
        length = literalroom - static_cast<std::size_t>(box->used);
    std::memcpy(box->literals + box->used, text, length);
    box->used += static_cast<int>(length);
    box->pieces[box->count - 1].length += static_cast<unsigned short>(length);
}

void addformat(boxtext *box, const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0)
        addtext(box, text, static_cast<std::size_t>(n) < sizeof text ? static_cast<std::size_t>(n) : sizeof text - 1);
}

void addcorner(boxtext *box, int corner)
{
    if (box->count >= static_cast<int>(sizeof box->pieces / sizeof box->pieces[0]))
        return;
    box->pieces[box->count - 1].corner = static_cast<signed char>(corner);
    box->pieces[box->count++] = {static_cast<unsigned short>(box->used), 0, -1};
}

// Copies a point-list literal; each of its four "%s %s %s" groups is the
// place of one corner's x, y and z texts, in turn.
void addpoints(boxtext *box, const char *literal, int c0, int c1, int c2, int c3)
{
    const int corners[4] = {c0, c1, c2, c3};
    const char group[] = "%s %s %s";
    const char *run = literal;
    for (int corner : corners) {
        const char *place = std::strstr(run, group);
        if (place == nullptr)
            break;
        addtext(box, run, static_cast<std::size_t>(place - run));
        addcorner(box, corner);
        run = place + sizeof group - 1;
    }
    addtext(box, run, std::strlen(run));
}

void addcolor(boxtext *box, const double color[3])
{
    // Only the red component says whether a colour was given.
    if (color[0] >= 0)
        addformat(box, "Color %g %g %g\n", color[0], color[1], color[2]);
}

// The point-list literals, blanks and all: the blanks where two writes meet
// are part of the output and differ between the lists.
const char edgepoints[] = " %s %s %s  %s %s %s  %s %s %s  %s %s %s ";
const char edgepointsopen[] = " %s %s %s  %s %s %s  %s %s %s  %s %s %s";
const char pointsfirst[] = " \"P\" [%s %s %s  %s %s %s  %s %s %s  %s %s %s";
const char pointslast[] = " %s %s %s  %s %s %s  %s %s %s  %s %s %s]\n";

// Corners 0 to 7 in order, for the corner spheres and the face mesh alike.
void addcorners(boxtext *box)
{
    addpoints(box, pointsfirst, 0, 1, 2, 3);
    addpoints(box, pointslast, 4, 5, 6, 7);
}

} // namespace

void preparebox(const boxsettings &s, boxtext *box)
{
    box->used = 0;
    box->count = 1;
    box->pieces[0] = {0, 0, -1};

    addformat(box, "AttributeBegin\n");
    addformat(box, "Surface \"%s\"\n", s.surface);

    if (s.linewidth > 0 && s.linealpha > 0) {
        addformat(box, "AttributeBegin\n");
        addcolor(box, s.linecolor);
        addformat(box, "Opacity %g %g %g\n", s.linealpha, s.linealpha, s.linealpha);
        addformat(box, "Attribute \"curve\" \"type\" \"%s\"\n", s.linetype);
        addformat(box, "Curves \"linear\" [2 2 2 2  2 2 2 2  2 2 2 2] \"nonperiodic\" \"constantwidth\" [%g]\n",
                  s.linewidth);
        // Twelve two-point curves: around the zmin face, around the zmax
        // face, then the four edges along z.
        addformat(box, " \"P\" [");
        addpoints(box, edgepoints, 0, 1, 1, 3);
        addpoints(box, edgepoints, 3, 2, 2, 0);
        addpoints(box, edgepoints, 4, 5, 5, 7);
        addpoints(box, edgepoints, 7, 6, 6, 4);
        addpoints(box, edgepointsopen, 0, 4, 1, 5);
        addpoints(box, pointslast, 2, 6, 3, 7);
        addformat(box, "AttributeEnd\n");
    }

    if (s.cornerwidth > 0 && s.corneralpha > 0) {
        addformat(box, "AttributeBegin\n");
        addcolor(box, s.cornercolor);
        addformat(box, "Opacity %g %g %g\n", s.corneralpha, s.corneralpha, s.corneralpha);
        addformat(box, "Attribute \"point\" \"type\" \"sphere\"\n");
        addformat(box, "Points \"constantwidth\" [%g]\n", s.cornerwidth);
        addcorners(box);
        addformat(box, "AttributeEnd\n");
    }

    if (s.boxalpha > 0) {
        addformat(box, "AttributeBegin\n");
        addcolor(box, s.boxcolor);
        addformat(box, "Opacity %g %g %g\n", s.boxalpha, s.boxalpha, s.boxalpha);
        // The point list follows the index list on the same line.
        addformat(box, "PointsPolygons [4 4 4 4 4 4] [0 2 3 1  1 3 7 5  5 7 6 4  4 6 2 0  2 6 7 3  4 0 1 5]");
        addcorners(box);
        addformat(box, "AttributeEnd\n");
    }

    addformat(box, "AttributeEnd\n");
}

namespace {

// A reply is gathered here and handed to the stream in one write: a box of
// ordinary size costs one copy instead of a stream call for each of its
// up to 241 pieces. Larger texts pass through in several writes. The slack
// at the end takes the overrun of the block copies below.
char staging[(1 << 16) + boxblock];
std::size_t staged;

void emit(const char *text, std::size_t length, std::FILE *out)
{
    if (length > sizeof staging - boxblock - staged) {
        std::fwrite(staging, 1, staged, out);
        staged = 0;
        if (length > sizeof staging - boxblock) {
            std::fwrite(text, 1, length, out);
            return;
        }
    }
    std::memcpy(staging + staged, text, length);
    staged += length;
}

// The bound text that a corner takes on an axis (0 x, 1 y, 2 z): bit 0 of
// the corner's number picks xmax over xmin, bit 1 ymax, bit 2 zmax.
int fieldof(int corner, int axis)
{
    return 2 * axis + ((corner >> axis) & 1);
}

// Any text, in pieces that fit the staging buffer.
void writepieces(const boxtext &box, const char *const bound[6], const std::size_t length[6], std::FILE *out)
{
    staged = 0;
    for (int i = 0; i < box.count; i++) {
        const boxpiece &piece = box.pieces[i];
        emit(box.literals + piece.offset, piece.length, out);
        for (int axis = 0; piece.corner >= 0 && axis < 3; axis++) {
            if (axis > 0)
                emit(" ", 1, out);
            int field = fieldof(piece.corner, axis);
            emit(bound[field], length[field], out);
        }
    }
    std::fwrite(staging, 1, staged, out);
}

// Bound texts up to this long take the quick way.
constexpr std::size_t shortfield = 64;
constexpr std::size_t shortcorner = 3 * shortfield + 2;
// A corner stands in at most 40 places: 24 edge points, 8 corners, 8 faces.
static_assert(sizeof boxtext::literals + 40 * shortcorner <= sizeof staging - boxblock,
              "a box with short bound texts fits the staging buffer");

// Copies whole blocks, at least one: up to boxblock bytes past the end of
// both texts are read and written, so both must have that much slack.
char *copyblocks(char *to, const char *from, std::size_t length)
{
    std::size_t i = 0;
    do {
        std::memcpy(to + i, from + i, boxblock);
        i += boxblock;
    } while (i < length);
    return to + length;
}

// A box is mostly corner texts of a few bytes with a blank or two between
// them: copied in fixed blocks, each of its pieces costs a move or two
// instead of a call. The bound texts are first copied into rows with slack,
// and the eight corners' texts are laid out from them once per box.
void writeshort(const boxtext &box, const char *const bound[6], const std::size_t length[6], std::FILE *out)
{
    char fields[6][shortfield];
    for (int i = 0; i < 6; i++)
        std::memcpy(fields[i], bound[i], length[i]);
    char corners[8][shortcorner + boxblock];
    std::size_t cornerlength[8];
    for (int c = 0; c < 8; c++) {
        char *end = corners[c];
        for (int axis = 0; axis < 3; axis++) {
            int field = fieldof(c, axis);
            end = copyblocks(end, fields[field], length[field]);
            *end++ = ' ';
        }
        cornerlength[c] = static_cast<std::size_t>(end - 1 - corners[c]);
    }
    char *end = staging;
    for (int i = 0; i < box.count; i++) {
        const boxpiece &piece = box.pieces[i];
        end = copyblocks(end, box.literals + piece.offset, piece.length);
        if (piece.corner >= 0)
            end = copyblocks(end, corners[piece.corner], cornerlength[piece.corner]);
    }
    std::fwrite(staging, 1, static_cast<std::size_t>(end - staging), out);
}

} // namespace

void writebox(const boxtext &box, const char *const bound[6], std::FILE *out)
{
    std::size_t length[6];
    bool allshort = true;
    for (int i = 0; i < 6; i++) {
        length[i] = std::strlen(bound[i]);
        allshort = allshort && length[i] <= shortfield;
    }
    // Write results are not examined: a reader that has gone away must not
    // stop the rest of the reply or the requests after it.
    if (allshort)
        writeshort(box, bound, length, out);
    else
        writepieces(box, bound, length, out);
}
