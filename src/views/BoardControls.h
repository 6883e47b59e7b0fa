// The wiring of a board's toolbar: each control the board has as an outlet sends the board's
// command for it when clicked (the lock menu item when triggered).
#pragma once

class PropertiesView;

// Connects the board's outlets present now to its commands: lock, unlock and the lock menu item
// to lockAction, break, info, up, down and delete to theirs, the seven colour buttons to
// colourAction. Call it once, after the outlets are set.
void connectBoardControls(PropertiesView *board);
