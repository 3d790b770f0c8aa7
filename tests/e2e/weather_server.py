#!/usr/bin/env python3
"""A stand-in weather service on 127.0.0.1 for the end-to-end runs.

Answers the forecast path with a recorded answer and the city search with a recorded
list, writes the port it listens on to <port file> once it is ready, and appends every
request line (path and query) to <request log>.

usage: weather_server.py <forecast.json> <cities.json> <port file> <request log>
"""
import http.server
import sys

forecast_file, cities_file, port_file, request_log = sys.argv[1:5]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(request_log, "a", encoding="utf-8") as log:
            log.write(self.path + "\n")
        path = self.path.split("?", 1)[0]
        body_file = {"/api_v2/weather.cgi": forecast_file, "/api/searchcity.cgi": cities_file}.get(path)
        if body_file is None:
            self.send_error(404)
            return
        with open(body_file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/json; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
import os
os.replace(port_file + ".tmp", port_file)
server.serve_forever()
