#include "effects/Sprite.h"

#include "state/AppState.h"

#include <GL/gl.h>

void LoadCameraTransform() {
    glLoadIdentity();
    glRotatef(appState.cameraAngles.x, 1, 0, 0);
    glRotatef(appState.cameraAngles.y, 0, 1, 0);
    glTranslatef(appState.cameraPosition.x, appState.cameraPosition.y, appState.cameraPosition.z);
}

void Sprite::Draw() const {
    LoadCameraTransform();
    glTranslatef(position.x, position.y, position.z);
    // Undo the camera's turn so that the square faces the viewer.
    glRotatef(-appState.cameraAngles.y, 0, 1, 0);
    glRotatef(-appState.cameraAngles.x, 1, 0, 0);
    glRotatef(angle, 0, 0, 1);
    glColor4ub(colour[0], colour[1], colour[2], colour[3]);
    glCallList(displayList);
}

uint32_t CompileSpriteSquare() {
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, 0);
    glVertex3f(-15, 15, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-15, -15, 0);
    glTexCoord2f(1, 1);
    glVertex3f(15, -15, 0);
    glTexCoord2f(1, 0);
    glVertex3f(15, 15, 0);
    glEnd();
    glEndList();
    return list;
}

void DeleteSpriteSquare(uint32_t& displayList) {
    if (displayList != 0)
        glDeleteLists(displayList, 1);
    displayList = 0;
}
