// How the text fields of a property widget look, and the edit marking: a field the user is
// editing is painted orange and a refresh leaves it alone until Set or Reset paints it back.
#pragma once

#include <QColor>
#include <QFont>

class QLineEdit;

namespace FieldStyle {

// The platform's orange: red 1.0, green 0.5, blue 0.0.
QColor editedColor();

// An editable, bordered field on the text-background colour.
void makeEditable(QLineEdit *field);
// A field that only shows text: clear background, bordered or not.
void makeDisplay(QLineEdit *field, bool bordered);

// Paints the field orange and marks it edited.
void markEdited(QLineEdit *field);
// Paints the field back on the text-background colour and clears the mark.
void markNormal(QLineEdit *field);
bool isEdited(const QLineEdit *field);

}  // namespace FieldStyle

namespace FieldStyle {
// The small system font: the application font at 11/13 of its size.
QFont smallFont();
}  // namespace FieldStyle
