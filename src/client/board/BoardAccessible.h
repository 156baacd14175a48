#pragma once
// What assistive technology is told about the board's pictures: each picture says its role
// (a button for what the player may press, a picture otherwise) and offers "Press" where a
// click would act.

namespace pelvo::board {

// Registers the board's accessibility factory once per process.
void installBoardAccessibility();

// Dynamic properties a picture carries for it.
inline constexpr char roleProperty[] = "accessibleRole";   // a QAccessible::Role, as an int
inline constexpr char pressProperty[] = "accessiblePress"; // true: "Press" emits clicked()

} // namespace pelvo::board
