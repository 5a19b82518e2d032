"""The licence the installer shows."""


LICENSE = """MERVALIS ANIMATED WALLPAPER - END USER LICENCE AGREEMENT

Quorvane series, Mervalis edition
Copyright (c) Quorvanesoft. All rights reserved.

Please read this agreement carefully before installing Mervalis Animated Wallpaper (the "Software"). By installing, copying or otherwise using the Software you agree to be bound by the terms of this agreement. If you do not agree, do not install the Software; choose "Cancel" now.

1. GRANT OF LICENCE
Quorvanesoft grants you a free, non-exclusive, non-transferable licence to install and use the Software on any number of computers that you own or control, for personal or business use.

2. FREEWARE
The Software is distributed as freeware. You do not have to pay for it, register it or activate it. There is no time limit and no feature is disabled.

3. REDISTRIBUTION
You may copy the unmodified installation program and give it to others, provided that you do so free of charge, that the copy is complete (including this agreement) and that nothing is added to it. Placing the Software on a web site, a shareware collection or a magazine cover disc is permitted on the same terms.

4. RESTRICTIONS
You may not sell, rent, lease or lend the Software, nor include it in any product or bundle that is sold. You may not modify, adapt, translate, reverse engineer, decompile or disassemble the Software, except to the extent that applicable law expressly permits it. You may not remove or alter any copyright notice, trade name or mark shown by the Software.

5. ARTWORK
The pictures and animations that come with the Software (the fish, the bubbles, the underwater scene and the frame) are part of the Software. You may use them only as your desktop wallpaper through the Software, and may not extract them for other purposes.

6. OWNERSHIP
The Software is licensed, not sold. Quorvanesoft keeps all title, copyright and other intellectual property rights in the Software and in every copy of it.

7. NO WARRANTY
THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NON-INFRINGEMENT. THE ENTIRE RISK AS TO THE QUALITY AND PERFORMANCE OF THE SOFTWARE IS WITH YOU.

8. LIMITATION OF LIABILITY
IN NO EVENT SHALL QUORVANESOFT BE LIABLE FOR ANY DAMAGES WHATSOEVER, INCLUDING WITHOUT LIMITATION DAMAGES FOR LOSS OF DATA, LOSS OF PROFITS, BUSINESS INTERRUPTION OR ANY OTHER LOSS, ARISING OUT OF THE USE OF OR INABILITY TO USE THE SOFTWARE, EVEN IF QUORVANESOFT HAS BEEN ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.

9. YOUR DESKTOP SETTINGS
The Software changes your desktop wallpaper and turns on the display of web content on the desktop. The uninstall program restores the previous wallpaper. You are responsible for keeping copies of any settings you wish to preserve.

10. TERMINATION
This licence ends automatically if you break any of its terms. When it ends you must remove the Software from your computers and destroy all copies of it.

11. GENERAL
This agreement is the entire agreement between you and Quorvanesoft about the Software. If any part of it is held to be unenforceable, the rest remains in force. Quorvanesoft may publish new versions of this agreement with new versions of the Software.

All names of products and companies mentioned are trade names of their owners.

Thank you for choosing Quorvanesoft animated wallpapers. Enjoy the view!
"""


def make_license(path):
    text = LICENSE.replace("\r\n", "\n").replace("\n", "\r\n")
    text.encode("ascii")  # must stay plain ASCII
    with open(path, "wb") as f:
        f.write(text.encode("ascii"))
