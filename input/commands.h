// The keys and buttons read through DirectInput.
#pragma once

void OnKeyChange(unsigned char key, bool down);
void OnMouseButton(unsigned char button, bool down);
