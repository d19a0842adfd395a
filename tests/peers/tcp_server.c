/* A Modbus TCP server on 127.0.0.1 for the talvo tests, serving many connections at once.
 * Holding register i starts as (i * 3 + 0x1000) & 0xFFFF. Listens on an ephemeral port
 * and prints "PORT <n>" on stdout; runs until killed.
 *
 *   tcp_server [--late]
 *
 * --late: a gateway that hands over a late answer: on each connection, before it answers
 * the first request, it sends there the answer to the request it served before (on an
 * earlier connection), under that request's transaction identifier. */
#include <arpa/inet.h>
#include <errno.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#define REGISTERS 0x10000

int main(int argc, char** argv) {
    int late = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--late") != 0) {
            fprintf(stderr, "usage: tcp_server [--late]\n");
            return 2;
        }
        late = 1;
    }
    modbus_t* ctx = modbus_new_tcp("127.0.0.1", 0);
    if (ctx == NULL) return 2;
    modbus_mapping_t* map = modbus_mapping_new(0, 0, REGISTERS - 1, 0);
    if (map == NULL) return 2;
    for (int i = 0; i < map->nb_registers; ++i) map->tab_registers[i] = (uint16_t)(i * 3 + 0x1000);

    int server = modbus_tcp_listen(ctx, 256);
    if (server < 0) return 2;
    struct sockaddr_in addr;
    socklen_t len = sizeof addr;
    if (getsockname(server, (struct sockaddr*)&addr, &len) != 0) return 2;
    printf("PORT %d\n", ntohs(addr.sin_port));
    fflush(stdout);

    fd_set all;
    FD_ZERO(&all);
    FD_SET(server, &all);
    int top = server;
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    uint8_t previous[MODBUS_TCP_MAX_ADU_LENGTH];
    int previous_length = 0;
    /* Connections that have not been answered yet. */
    static char fresh[FD_SETSIZE];
    for (;;) {
        fd_set ready = all;
        if (select(top + 1, &ready, NULL, NULL, NULL) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        for (int fd = 0; fd <= top; ++fd) {
            if (!FD_ISSET(fd, &ready)) continue;
            if (fd == server) {
                int client = accept(server, NULL, NULL);
                if (client < 0) continue;
                if (client >= FD_SETSIZE) {
                    close(client);
                    continue;
                }
                FD_SET(client, &all);
                fresh[client] = 1;
                if (client > top) top = client;
                continue;
            }
            modbus_set_socket(ctx, fd);
            int rc = modbus_receive(ctx, query);
            if (rc > 0) {
                if (late && fresh[fd] && previous_length > 0)
                    modbus_reply(ctx, previous, previous_length, map);
                fresh[fd] = 0;
                modbus_reply(ctx, query, rc, map);
                memcpy(previous, query, (size_t)rc);
                previous_length = rc;
            } else if (rc < 0) {
                close(fd);
                FD_CLR(fd, &all);
            }
        }
    }
}
